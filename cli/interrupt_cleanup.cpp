// Signal handlers of talvex-cli; see interrupt_cleanup.h.
#include "cli/interrupt_cleanup.h"

#include <unistd.h>

#include <csignal>

#include "export/atomic_file.h"

namespace talvex {

namespace {

// Async-signal-safe only: unlink and _exit.
extern "C" void EndOnSignal(int signal) {
  RemoveTemporaryFilesNow();
  ::_exit(128 + signal);
}

}  // namespace

void InstallInterruptCleanup() {
  // A reader that goes away (`| head`) must not end the program before its
  // files are written: the failed write to standard output is reported and
  // the other outputs are still made.
  ::signal(SIGPIPE, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = EndOnSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  for (int signal : {SIGINT, SIGTERM}) {
    struct sigaction previous {};
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace talvex
