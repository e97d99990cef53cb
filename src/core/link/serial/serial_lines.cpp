#include "link/serial/serial_lines.h"

#include <charconv>

namespace linkwright {

namespace {

std::optional<std::int32_t> ParseMilliseconds(std::string_view text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || next != end || value < 1 ||
      value > kMaxLineMilliseconds) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

const char* ControlLineName(ControlLine line) {
  return line == ControlLine::kDtr ? "DTR" : "RTS";
}

std::optional<LineCommand> ParseLineCommand(ControlLine line, std::string_view text) {
  using Action = LineCommand::Action;
  if (text == "on") {
    return LineCommand{Action::kSet, line, 0};
  }
  if (text == "off") {
    return LineCommand{Action::kClear, line, 0};
  }
  constexpr std::string_view kPulse = "pulse:";
  if (!text.starts_with(kPulse)) {
    return std::nullopt;
  }
  const auto milliseconds = ParseMilliseconds(text.substr(kPulse.size()));
  if (!milliseconds) {
    return std::nullopt;
  }
  return LineCommand{Action::kPulse, line, *milliseconds};
}

std::optional<LineCommand> ParseBreakCommand(std::string_view text) {
  const auto milliseconds = ParseMilliseconds(text);
  if (!milliseconds) {
    return std::nullopt;
  }
  return LineCommand{LineCommand::Action::kBreak, ControlLine::kDtr, *milliseconds};
}

std::string DescribeLineCommand(const LineCommand& command) {
  const std::string ms = std::to_string(command.milliseconds) + " ms";
  switch (command.action) {
    case LineCommand::Action::kSet:
      return std::string(ControlLineName(command.line)) + " on";
    case LineCommand::Action::kClear:
      return std::string(ControlLineName(command.line)) + " off";
    case LineCommand::Action::kPulse:
      return std::string(ControlLineName(command.line)) + " pulse " + ms;
    case LineCommand::Action::kBreak:
      break;
  }
  return "break " + ms;
}

std::string DescribeModemStatus(const ModemStatus& status) {
  const auto line = [](const char* name, bool on) { return std::string(name) + (on ? "+" : "-"); };
  return line("CTS", status.cts) + " " + line("DSR", status.dsr) + " " + line("DCD", status.dcd) +
         " " + line("RI", status.ri);
}

}  // namespace linkwright
