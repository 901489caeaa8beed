#include "platform/close_signal.h"

#include <signal.h>

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t gSignalled = 0;

void OnCloseSignal(int) {
  gSignalled = 1;
}

}  // namespace

void InstallCloseSignals(bool keepPending) {
  if (!keepPending) gSignalled = 0;
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART, so a sleeping wait wakes at once; SA_RESETHAND, so the next signal kills.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool CloseSignalled() {
  return gSignalled != 0;
}

}  // namespace platform
