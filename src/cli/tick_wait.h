#pragma once

#include <CLI/CLI.hpp>

#include "session/session.h"

namespace linkwright {

// Adds `--wake-on-data` to a command that runs the receive tick; `wakeOnData` follows it.
void AddWakeOnDataFlag(CLI::App& command, bool& wakeOnData);

// Waits until `until`, the console's stand-in for a window's timer. With `wakeOnData` it
// watches the session's link for reading meanwhile and, as soon as bytes arrive, makes the
// receive tick due and returns, so the caller's RunDueTicks answers at once. A signal ends a
// watching wait early too, so a stop request is seen at once.
void WaitForTicks(Session& session, Session::Clock::time_point until, bool wakeOnData);

}  // namespace linkwright
