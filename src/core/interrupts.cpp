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
  if (caught != 0) {
    // A second one: the program ends at once, as the signal ends it, but leaves no temporary
    // file behind.
    RemoveTemporariesNow();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  caught = signal;
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
  // One at a time: a second signal of another kind waits for the first handler to return.
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

int CaughtInterrupt() {
  return caught;
}

}  // namespace snapnook
