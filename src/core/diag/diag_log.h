#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace linkwright {

// Developer's diagnostic log. Each output line has the form "|module              |L|text\n";
// the first line ever written to a destination is the header "|app                 |c|message\n".
// Lines are handed to the sink one call per line; without a sink they are discarded.
using DiagSink = std::function<void(std::string_view line)>;

// Sets where lines go (nullptr discards them) and arms the header for the new destination.
void SetDiagSink(DiagSink sink);

// True when lines have a destination; lets callers skip building costly arguments (byte
// strings rendered as text) for lines nobody reads.
bool DiagEnabled();

// Sends lines to standard error, the destination of `--diag` and LINKWRIGHT_DIAG=1.
void SetDiagToStandardError();

// True when the environment asks for the diagnostic log (LINKWRIGHT_DIAG=1).
bool DiagRequestedByEnvironment();

// Formats printf-style (at most 2,560 characters), splits the text at every run of CR and LF,
// drops empty lines and writes one output line per remaining line. Always returns true.
bool DiagLog(char level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes "<context> ... Error <code> : <text>" at level E when `code` is positive. An empty
// `text` stands for the system's text for the code.
void ReportSocketError(const char* context, int code, const std::string& text = {});

// Writes "Socket error <code> : <text>" at level E, whatever the code.
void LogSocketError(int code, const std::string& text = {});

// The system's message text for an error number (errno values on POSIX).
std::string SystemErrorText(int code);

}  // namespace linkwright
