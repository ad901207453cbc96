#include "platform/interrupt.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<bool> requested{false};

void onInterrupt(int signalNumber) {
  if (requested.exchange(true)) {
    std::signal(signalNumber, SIG_DFL);
    raise(signalNumber);
  }
}

}  // namespace

void installInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() { return requested.load(); }

}  // namespace platform
