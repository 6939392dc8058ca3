// Permissions as an ordinary user meets them, also when the tests run as root (as in CI),
// whom no permission stops.
#pragma once

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <string>

namespace snapnook::testing {

/// While it lives, a test run by root acts as the unprivileged user "nobody" (its effective
/// user and group; the saved user id stays root's, to be taken back at its end), who may
/// enter `folder`. Run by anyone else, it does nothing: permissions hold already.
struct AsUnprivilegedUser {
  explicit AsUnprivilegedUser(const std::string& folder) {
    const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    switched = nobody != nullptr && ::chmod(folder.c_str(), 0755) == 0 &&
               ::setegid(nobody->pw_gid) == 0 && ::seteuid(nobody->pw_uid) == 0;
  }
  ~AsUnprivilegedUser() {
    if (switched && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::terminate();
  }
  bool switched = false;
};

}  // namespace snapnook::testing
