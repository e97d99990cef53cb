#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace linkwright {

// The two output lines a serial port drives besides the data.
enum class ControlLine { kDtr, kRts };

// One thing to do to the lines: set or clear DTR or RTS, invert one for a while and restore it
// (a board's reset, a wake-up), or hold the data line in break for a while.
struct LineCommand {
  enum class Action { kSet, kClear, kPulse, kBreak };
  Action action = Action::kSet;
  ControlLine line = ControlLine::kDtr;
  std::int32_t milliseconds = 0;

  bool operator==(const LineCommand&) const = default;
};

// The longest pulse or break a command may ask for; the caller's thread waits it out.
inline constexpr std::int32_t kMaxLineMilliseconds = 10000;

// The input lines as the port reports them.
struct ModemStatus {
  bool cts = false;
  bool dsr = false;
  bool dcd = false;
  bool ri = false;

  bool operator==(const ModemStatus&) const = default;
};

// "DTR" or "RTS".
const char* ControlLineName(ControlLine line);

// Reads "on", "off" or "pulse:MS" for a line (MS from 1 to kMaxLineMilliseconds); nothing when
// the text is none of these.
std::optional<LineCommand> ParseLineCommand(ControlLine line, std::string_view text);
// Reads the length of a break in ms (1 to kMaxLineMilliseconds).
std::optional<LineCommand> ParseBreakCommand(std::string_view text);

// What a command does, in words: "DTR on", "RTS pulse 50 ms", "break 250 ms".
std::string DescribeLineCommand(const LineCommand& command);

// The input lines in a few characters, + for on and - for off: "CTS+ DSR- DCD- RI-".
std::string DescribeModemStatus(const ModemStatus& status);

}  // namespace linkwright
