#include "core/interrupts.h"

#include <unistd.h>

#include <csignal>
#include <initializer_list>

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

}  // namespace

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
