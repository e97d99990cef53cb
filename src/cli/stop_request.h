#pragma once

#include <chrono>

namespace linkwright {

// A long command (run, test) ends when asked by SIGINT or SIGTERM: the signal only marks the
// request, and the command looks at it between its steps, at least every kStopCheckPeriod.
inline constexpr std::chrono::milliseconds kStopCheckPeriod{200};

// From now on SIGINT and SIGTERM mark a stop request instead of ending the process.
void CatchStopSignals();
// A stop signal came since CatchStopSignals.
bool StopRequested();

}  // namespace linkwright
