#include "support/unprivileged.h"

#include <pwd.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <stdexcept>

namespace snapnook::testing {

AsUnprivilegedUser::AsUnprivilegedUser(const std::string& folder) {
  if (::geteuid() != 0) return;
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) throw std::runtime_error("there is no user nobody");
  bool given = ::lchown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    given = given && ::lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
  }
  // Only the effective ids change: the saved user id stays root's, to be taken back.
  if (!given || ::setegid(nobody->pw_gid) != 0 || ::seteuid(nobody->pw_uid) != 0) {
    throw std::runtime_error("cannot act as nobody on " + folder);
  }
  switched_ = true;
}

AsUnprivilegedUser::~AsUnprivilegedUser() {
  if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::terminate();
}

}  // namespace snapnook::testing
