#include "core/interrupts.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include <initializer_list>
#include "core/file_system.h"

namespace snapnook {
namespace {

volatile std::sig_atomic_t caught = 0;
int wake = -1;

void OnInterrupt(int signal) {
  if (caught == 0) caught = signal;
  if (wake >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake, &byte, 1);
  }
}

void OnCrash(int signal) {
  RemoveTemporariesNow();
  // SA_RESETHAND restored the default action: the signal ends the program as it would have.
  ::raise(signal);
}

}  // namespace

void CleanUpOnCrash() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return;  // the sanitizer's own handlers report a crash; they must stay
#endif
  // Its own stack, so that a stack that overflowed can still be cleaned up after.
  static char stack[1 << 16];
  stack_t alternate{};
  alternate.ss_sp = stack;
  alternate.ss_size = sizeof stack;
  ::sigaltstack(&alternate, nullptr);
  struct sigaction action {};
  action.sa_handler = OnCrash;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_ONSTACK | SA_NODEFER;
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
    ::sigaction(signal, &action, nullptr);
}

void CatchInterrupts(int wake_fd) {
  wake = wake_fd;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Caught once: the next one of the same kind stops a program that does not stop.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

int CaughtInterrupt() {
  return caught;
}

}  // namespace snapnook
