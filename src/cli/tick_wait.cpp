#include "tick_wait.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace linkwright {

namespace {

// Waits with poll() until a handle turns readable (a hang-up or an error counts: the receive
// tick is what notices it) or `until` has come; true when a handle did.
bool PollReadable(const std::vector<WaitHandle>& handles, Session::Clock::time_point until) {
  std::vector<pollfd> watched;
  watched.reserve(handles.size());
  for (const WaitHandle handle : handles) {
    watched.push_back({static_cast<int>(handle), POLLIN, 0});
  }
  // Rounded up, so the wait never ends before the tick it waits for is due.
  const auto wait =
      std::chrono::ceil<std::chrono::milliseconds>(until - Session::Clock::now()).count();
  const int timeout = static_cast<int>(std::max<decltype(wait)>(wait, 0));
  return poll(watched.data(), watched.size(), timeout) > 0;
}

}  // namespace

void AddWakeOnDataFlag(CLI::App& command, bool& wakeOnData) {
  command.add_flag("--wake-on-data", wakeOnData,
                   "Run the receive tick as soon as bytes arrive instead of at the next "
                   "\"RxPollingTime\" tick (the periodic tick goes on)");
}

void WaitForTicks(Session& session, Session::Clock::time_point until, bool wakeOnData) {
  const std::vector<WaitHandle> handles =
      wakeOnData ? session.WaitHandles() : std::vector<WaitHandle>();
  if (handles.empty()) {
    std::this_thread::sleep_until(until);
    return;
  }
  if (PollReadable(handles, until)) {
    session.WakeForData();
  }
}

}  // namespace linkwright
