#include "diag/diag_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "diag/program_path.h"

namespace linkwright {

namespace {

constexpr size_t kMaxText = 2560;

struct DiagState {
  DiagSink sink;
  bool headerPending = true;
};

DiagState& State() {
  // Function-local so the log works from static constructors and destructors too.
  static DiagState* state = new DiagState;
  return *state;
}

// The program's file name up to its first dot, worked out for every line.
std::string ModuleName() {
  std::string name = ProgramPath().filename().string();
  return name.substr(0, name.find('.'));
}

std::string FormatLine(const std::string& module, char level, std::string_view text) {
  char head[32];
  std::snprintf(head, sizeof head, "|%-20.20s|%c|", module.c_str(), level);
  std::string line = head;
  line.append(text);
  line.push_back('\n');
  return line;
}

void WriteOutputLine(char level, std::string_view text) {
  DiagState& state = State();
  if (!state.sink) {
    return;
  }
  if (state.headerPending) {
    state.headerPending = false;
    state.sink(FormatLine("app", 'c', "message"));
  }
  state.sink(FormatLine(ModuleName(), level, text));
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

void WriteLines(char level, std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsLineBreak(text[pos])) {
      ++pos;
    }
    size_t end = pos;
    while (end < text.size() && !IsLineBreak(text[end])) {
      ++end;
    }
    if (end > pos) {
      WriteOutputLine(level, text.substr(pos, end - pos));
    }
    pos = end;
  }
}

// The text a socket error line gives: the one given, or the system's for the code.
std::string SocketErrorText(int code, const std::string& text) {
  return text.empty() ? SystemErrorText(code) : text;
}

}  // namespace

void SetDiagSink(DiagSink sink) {
  State().sink = std::move(sink);
  State().headerPending = true;
}

void SetDiagToStandardError() {
  SetDiagSink([](std::string_view line) { std::cerr.write(line.data(), line.size()).flush(); });
}

bool DiagRequestedByEnvironment() {
  const char* value = std::getenv("LINKWRIGHT_DIAG");
  return value != nullptr && std::string_view(value) == "1";
}

bool DiagEnabled() {
  return static_cast<bool>(State().sink);
}

bool DiagLog(char level, const char* format, ...) {
  // Formatting is most of a line's cost, and nobody reads lines without a destination.
  if (!DiagEnabled()) {
    return true;
  }
  char buffer[kMaxText + 1];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length > 0) {
    WriteLines(level, std::string_view(buffer, std::min<size_t>(length, kMaxText)));
  }
  return true;
}

void ReportSocketError(const char* context, int code, const std::string& text) {
  if (code <= 0) {
    return;
  }
  DiagLog('E', "%s ... Error %d : %s", context, code, SocketErrorText(code, text).c_str());
}

void LogSocketError(int code, const std::string& text) {
  DiagLog('E', "Socket error %d : %s\n", code, SocketErrorText(code, text).c_str());
}

std::string SystemErrorText(int code) {
  return std::strerror(code);
}

}  // namespace linkwright
