#include <poll.h>

#include <cerrno>
#include <chrono>

#include "link/net/socket_support.h"

namespace linkwright {

WaitOutcome WaitReadable(NativeSocket socket, int32_t milliseconds,
                         boost::system::error_code& error) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  pollfd entry{socket, POLLIN, 0};
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int result = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
    if (result > 0) {
      return WaitOutcome::kReady;
    }
    if (result == 0) {
      return WaitOutcome::kTimedOut;
    }
    if (errno != EINTR) {
      error.assign(errno, boost::system::system_category());
      return WaitOutcome::kFailed;
    }
  }
}

}  // namespace linkwright
