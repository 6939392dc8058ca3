// The signals that ask a program to stop: SIGINT (Ctrl-C), SIGTERM and SIGHUP.
#pragma once

namespace snapnook {

/// Catches SIGINT, SIGTERM and SIGHUP from now on. The first one caught is remembered (see
/// CaughtInterrupt) and, when `wake_fd` is not negative, one byte is written to it so that an
/// event loop waiting on the other end wakes up; a second one removes the temporary files of
/// the unfinished writes and ends the program at once, as if it had not been caught.
void CatchInterrupts(int wake_fd = -1);

/// The signal caught, or 0 when none was.
int CaughtInterrupt();

/// When the program crashes (SIGSEGV, SIGBUS, SIGILL, SIGFPE, or SIGABRT from a library that
/// gives up, as GLib does when it cannot allocate), its unfinished writes' temporary files are
/// removed before it ends as it would have.
void CleanUpOnCrash();

}  // namespace snapnook
