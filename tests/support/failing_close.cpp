// The close() of the code a test program links (it links with --wrap=close), made to fail on
// demand as a kernel does when it reports a failed write only then: the file is closed all the
// same.
#include <cerrno>
#include <utility>

#include "support/faulty_file_system.h"

namespace snapnook::testing::faults {
thread_local int next_close_fails_with = 0;
}  // namespace snapnook::testing::faults

extern "C" int __real_close(int fd);

extern "C" int __wrap_close(int fd) {
  const int result = __real_close(fd);
  int& err = snapnook::testing::faults::next_close_fails_with;
  if (result != 0 || err == 0) return result;
  errno = std::exchange(err, 0);
  return -1;
}
