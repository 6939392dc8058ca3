// Permissions as an ordinary user meets them, also when the tests run as root (as in CI),
// whom no permission stops.
#pragma once

#include <string>

namespace snapnook::testing {

/// While it lives, a test run by root acts as the unprivileged user "nobody" (its effective
/// user and group), who is given `folder` and everything below it first; at its end the
/// test is root again. Run by anyone else, it does nothing: permissions already hold.
class AsUnprivilegedUser {
 public:
  explicit AsUnprivilegedUser(const std::string& folder);
  ~AsUnprivilegedUser();
  AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
  AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

 private:
  bool switched_ = false;
};

}  // namespace snapnook::testing
