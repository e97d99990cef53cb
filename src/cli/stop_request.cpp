#include "stop_request.h"

#include <csignal>

namespace linkwright {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int /*signal*/) {
  stopRequested = 1;
}

}  // namespace

void CatchStopSignals() {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
}

bool StopRequested() {
  return stopRequested != 0;
}

}  // namespace linkwright
