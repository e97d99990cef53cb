#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_context.h"
#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "console_front_end.h"
#include "link/serial/serial_lines.h"
#include "session/session.h"
#include "setting_overrides.h"
#include "tick_wait.h"
#include "xmodem_progress_line.h"

namespace linkwright {

namespace {

struct SendOptions {
  std::vector<std::string> settings;
  int before = 0;
  int wait = 0;
  int replies = 0;
  bool timestamps = false;
  bool stats = false;
  bool wakeOnData = false;
  std::string messageFile;
  std::string dtr;
  std::string rts;
  std::string breakLength;
  std::vector<std::string> texts;
};

// The --dtr, --rts and --break commands in the order they run: DTR, RTS, then the break.
std::vector<LineCommand> LineCommands(const SendOptions& options) {
  std::vector<LineCommand> commands;
  if (!options.dtr.empty()) {
    commands.push_back(*ParseLineCommand(ControlLine::kDtr, options.dtr));
  }
  if (!options.rts.empty()) {
    commands.push_back(*ParseLineCommand(ControlLine::kRts, options.rts));
  }
  if (!options.breakLength.empty()) {
    commands.push_back(*ParseBreakCommand(options.breakLength));
  }
  return commands;
}

CLI::Validator LineCommandCheck(ControlLine line) {
  return CLI::Validator(
      [line](const std::string& text) {
        return ParseLineCommand(line, text) ? std::string()
                                            : "'" + text + "' is not on, off or pulse:MS (MS 1 … " +
                                                  std::to_string(kMaxLineMilliseconds) + ")";
      },
      "on|off|pulse:MS");
}

// Runs the line commands before the texts. A device that refuses one (a pseudo-terminal has
// no modem lines) is told on standard error and the texts still go; a link without control
// lines is the command's failure.
Error RunLineCommands(const SendOptions& options, Session& session) {
  Error failure;
  for (const LineCommand& command : LineCommands(options)) {
    if (session.ApplyLineCommand(command)) {
      continue;
    }
    const Error& error = session.LastError();
    if (error.Kind() == ErrorKind::kState && !failure.Failed()) {
      failure = error;
    } else if (error.Kind() != ErrorKind::kState) {
      std::cerr << "linkwright-cli: " << error.Message() << std::endl;
    }
  }
  return failure;
}

// The row a ROW argument names. A number too large for a row number gives 0, which is no row
// either; nothing when the argument is not a decimal number.
std::optional<int> RowArgument(const std::string& text) {
  int row = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
  if (end != text.data() + text.size() || error == std::errc::invalid_argument) {
    return std::nullopt;
  }
  return error == std::errc::result_out_of_range ? 0 : row;
}

void CheckRowArguments(const SendOptions& options) {
  for (const std::string& text : options.texts) {
    if (!options.messageFile.empty() && !RowArgument(text)) {
      throw CLI::ValidationError("ROW", "'" + text + "' is not a row number");
    }
  }
}

// The session's last failure as a failed send.
Error SendFailure(const Session& session) {
  return Error(session.LastError().Kind(), "send failed: " + session.LastError().Message());
}

// Sends one argument: escaped text, or with --file the row it names through SendRow.
Error SendArgument(const SendOptions& options, Session& session, const std::string& text) {
  if (options.messageFile.empty()) {
    return session.SendMessage(TextToBytes(text)) ? Error() : SendFailure(session);
  }
  const int row = *RowArgument(text);
  if (row == 0 && text.find_first_not_of('0') != std::string::npos) {
    // Too large for a row number: reported as typed.
    return Error(ErrorKind::kInput,
                 "send failed: " + Session::NoRowFailure(text, session.Table().RowCount()));
  }
  return session.SendRow(row) ? Error() : SendFailure(session);
}

// Runs the receive cycle for `milliseconds` as run does, the last tick at the end of the
// span, so what arrives is traced packet by packet. Ends early once `replies` packets (when
// given) have been cut, or when the trace cannot be written.
void ReceiveFor(Session& session, const ConsoleFrontEnd& frontEnd, int milliseconds, int replies,
                bool wakeOnData) {
  using Clock = Session::Clock;
  if (milliseconds <= 0) {
    return;
  }
  const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
  const size_t before = session.PacketsReceived();
  const auto answered = [&] {
    return (replies > 0 && session.PacketsReceived() - before >= static_cast<size_t>(replies)) ||
           frontEnd.TraceStopped();
  };
  while (Clock::now() < end && !answered()) {
    const std::optional<Clock::time_point> due = session.NextDue();
    WaitForTicks(session, due ? std::min(*due, end) : end, wakeOnData);
    session.RunDueTicks();
  }
  if (!answered()) {
    session.ReceiveNow();
  }
}

// When a text began to be sent, and the packets received by then.
struct SendStart {
  Session::Clock::time_point time;
  size_t packetsReceived;
};

// Receives for up to `options.wait` ms until a packet arrives, the answer to what was sent
// from `start` on, and reports on standard error how long it took, as fine as the polling
// period (finer with wake on data). Over an exchanging link (UDP client, HTTP) the answer came
// back within the send.
void ReportResponseTime(Session& session, const ConsoleFrontEnd& frontEnd,
                        const SendOptions& options, const std::string& text,
                        const SendStart& start) {
  const size_t before = start.packetsReceived;
  const int wait = options.wait;
  if (session.PacketsReceived() == before) {
    ReceiveFor(session, frontEnd, wait, 1, options.wakeOnData);
  }
  if (session.PacketsReceived() == before) {
    std::cerr << "no response to " << text << " within " << wait << " ms" << std::endl;
    return;
  }
  const std::chrono::duration<double, std::milli> elapsed = Session::Clock::now() - start.time;
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.3f", elapsed.count());
  std::cerr << "response to " << text << ": " << ms << " ms" << std::endl;
}

// Opens the link (the UDP client needs none), sends every text and receives as asked. Returns
// the first failure.
Error RunSend(const SendOptions& options) {
  ConsoleFrontEnd frontEnd(std::cout, std::cerr);
  frontEnd.ShowTimestamps(options.timestamps);
  // Only run cycles through the rows.
  GetConfiguration().Set(setting::kAutoSendEnabled, "0");
  Session session(GetConfiguration(), frontEnd);
  if (!options.messageFile.empty()) {
    if (Error loaded = session.LoadTable(options.messageFile); loaded.Failed()) {
      return loaded;
    }
  }
  XmodemProgressLine progress(std::cerr, isatty(STDERR_FILENO) != 0);
  session.SetTransferMonitor(progress.Monitor());
  if (!session.OpenConnection()) {
    return session.LastError();
  }
  ReceiveFor(session, frontEnd, options.before, 0, options.wakeOnData);
  Error failure = RunLineCommands(options, session);
  for (const std::string& text : options.texts) {
    const SendStart start{Session::Clock::now(), session.PacketsReceived()};
    Error sendFailure = SendArgument(options, session, text);
    if (options.stats && !sendFailure.Failed()) {
      ReportResponseTime(session, frontEnd, options, text, start);
    }
    if (!failure.Failed()) {
      failure = std::move(sendFailure);
    }
  }
  // With --stats the wait was spent on each text's answer.
  ReceiveFor(session, frontEnd, options.stats ? 0 : options.wait, options.replies,
             options.wakeOnData);
  session.CloseConnection();
  return frontEnd.TraceStopped() ? frontEnd.TraceFailure() : failure;
}

}  // namespace

void AddSendCommands(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SendOptions>();
  auto* send = app.add_subcommand(
      "send", "Open the configured link, send each escaped TEXT, optionally wait for data, close");
  AddSettingOverrideOption(*send, options->settings);
  send->add_option("--before", options->before,
                   "Poll the link for MS milliseconds before the first send (lets a TCP peer "
                   "connect)")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  send->add_option("--wait", options->wait,
                   "Receive for MS milliseconds after the last send, printing what arrives")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  send->add_option("--replies", options->replies,
                   "With --wait, stop waiting once N packets have been received")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  send->add_flag("--timestamps", options->timestamps,
                 "Start each trace line with the local time it began (HH:MM:SS.mmm)");
  send->add_flag("--stats", options->stats,
                 "After each TEXT receive for up to --wait MS until a packet arrives and print "
                 "its response time to standard error");
  AddWakeOnDataFlag(*send, options->wakeOnData);
  send->add_option("--file", options->messageFile,
                   "Message file whose rows ROW... are sent (SendRow) instead of TEXT")
      ->type_name("MESSAGEFILE");
  // Each argument is one text exactly as typed. A positional list that allows extra arguments
  // would read "[CR]" or "[A],[B]" as the option library's own list syntax and strip or split
  // it; without them, a positional takes further arguments only while it has fewer than its
  // minimum, so the minimum is set out of reach and TakeAll keeps any number.
  send->add_option("--dtr", options->dtr,
                   "Serial link: set DTR on or off, or invert it for MS ms (a board's reset), "
                   "before the texts")
      ->check(LineCommandCheck(ControlLine::kDtr));
  send->add_option("--rts", options->rts, "Serial link: the same for RTS, after DTR")
      ->check(LineCommandCheck(ControlLine::kRts));
  send->add_option("--break", options->breakLength,
                   "Serial link: hold the line in break for MS ms, after DTR and RTS")
      ->type_name("MS")
      ->check(CLI::Validator(
          [](const std::string& text) {
            return ParseBreakCommand(text) ? std::string()
                                           : "'" + text + "' is not a break length 1 … " +
                                                 std::to_string(kMaxLineMilliseconds);
          },
          "MS"));
  send->add_option("TEXT", options->texts,
                   "Escaped message text, sent in order; with --file a row number 1 … 99; none "
                   "needed with --dtr, --rts or --break")
      ->allow_extra_args(false)
      ->expected(CLI::detail::expected_max_vector_size, CLI::detail::expected_max_vector_size)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  send->callback([&context, options] {
    if (options->texts.empty() && LineCommands(*options).empty()) {
      throw CLI::RequiredError("TEXT");
    }
    CheckRowArguments(*options);
    LoadConfiguration(context);
    ApplySettingOverrides(options->settings);
    if (const Error failure = RunSend(*options); failure.Failed()) {
      context.exitCode = Fail(failure);
    }
  });
}

}  // namespace linkwright
