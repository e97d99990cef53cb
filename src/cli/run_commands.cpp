#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "cli_context.h"
#include "config/configuration.h"
#include "console_front_end.h"
#include "session/session.h"
#include "session/statistics_json.h"
#include "setting_overrides.h"
#include "stop_request.h"
#include "tick_wait.h"

namespace linkwright {

namespace {

using Clock = Session::Clock;

// Longer runs than this count as "until stopped" (and keep the deadline arithmetic in range).
constexpr double kForeverSeconds = 1e9;

struct RunOptions {
  std::vector<std::string> settings;
  std::optional<double> seconds;
  bool autoSend = false;
  bool timestamps = false;
  bool wakeOnData = false;
  std::string statsFile;
  std::string messageFile;
};

// A run time in seconds: a number, 0 or more. NaN passes the option library's own range checks
// (it compares false with every bound), and as a duration it would be undefined.
const CLI::Validator kSecondsToRun(
    [](const std::string& text) {
      double seconds = 0;
      if (CLI::detail::lexical_cast(text, seconds) && seconds >= 0) {
        return std::string();
      }
      return "'" + text + "' is not a number of seconds, 0 or more";
    },
    "SECONDS");

std::optional<Clock::time_point> Deadline(const std::optional<double>& seconds) {
  if (!seconds || *seconds >= kForeverSeconds) {
    return std::nullopt;
  }
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*seconds));
}

bool DeadlinePassed(const std::optional<Clock::time_point>& deadline) {
  return deadline && Clock::now() >= *deadline;
}

// The main window's timers without a window: sleeps until the next tick is due (or, with wake
// on data, until bytes arrive), runs it, and ends at the deadline, on SIGINT/SIGTERM, when the
// link is lost (its timers stop) or when the trace cannot be written. Sleeps are cut into short
// naps, so a stop request is seen soon whatever the periods; a transfer under way sees it
// through its cancel check.
void RunTimers(Session& session, const ConsoleFrontEnd& frontEnd,
               const std::optional<Clock::time_point>& deadline, bool wakeOnData) {
  while (!StopRequested() && !frontEnd.TraceStopped()) {
    std::optional<Clock::time_point> wake = session.NextDue();
    if (deadline) {
      wake = wake ? std::min(*wake, *deadline) : *deadline;
    }
    if (!wake) {
      return;
    }
    WaitForTicks(session, std::min(*wake, Clock::now() + kStopCheckPeriod), wakeOnData);
    if (DeadlinePassed(deadline)) {
      return;
    }
    session.RunDueTicks();
  }
}

// Writes the response-time statistics as JSON and their summary to standard error.
int WriteStatistics(const ResponseStatistics& statistics, const std::string& path) {
  if (Error written = WriteFileAtomically(path, StatisticsJson(statistics)); written.Failed()) {
    return Fail(written);
  }
  std::cerr << "stats: " << StatisticsSummary(statistics) << std::endl;
  return kExitOk;
}

// Closes the link (a lost one is closed already) and says why the run failed, if it did.
Error EndRun(Session& session, const ConsoleFrontEnd& frontEnd) {
  if (session.LinkLost()) {
    return session.LastError();
  }
  session.CloseConnection();
  std::cout.flush();
  return frontEnd.TraceFailure();
}

int RunSimulator(const RunOptions& options, const CliContext& context) {
  LoadConfiguration(context);
  ApplySettingOverrides(options.settings);
  // AutoSend is off at every start; --autosend switches it on for this run only.
  GetConfiguration().Set(setting::kAutoSendEnabled, options.autoSend ? "1" : "0");

  ConsoleFrontEnd frontEnd(std::cout, std::cerr);
  frontEnd.ShowTimestamps(options.timestamps);
  Session session(GetConfiguration(), frontEnd);
  if (const Error loaded = session.LoadTable(options.messageFile); loaded.Failed()) {
    return Fail(loaded);
  }
  // Caught from here on, so that a stop request always closes the link before the end.
  CatchStopSignals();
  const std::optional<Clock::time_point> deadline = Deadline(options.seconds);
  session.SetTransferMonitor(
      {nullptr, [&deadline] { return StopRequested() || DeadlinePassed(deadline); }});
  if (!session.OpenConnection()) {
    return Fail(session.LastError());
  }
  RunTimers(session, frontEnd, deadline, options.wakeOnData);
  const Error failure = EndRun(session, frontEnd);
  // The figures of a failed run are written too: they show what happened up to the failure.
  const int statisticsExit = options.statsFile.empty()
                                 ? kExitOk
                                 : WriteStatistics(session.Statistics(), options.statsFile);
  return failure.Failed() ? Fail(failure) : statisticsExit;
}

}  // namespace

void AddRunCommands(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<RunOptions>();
  auto* run = app.add_subcommand(
      "run",
      "Stand in for a device: open the link and answer packets with the message file's active "
      "rows (AutoReply), optionally sending them in turn (AutoSend); the trace goes to standard "
      "output");
  AddSettingOverrideOption(*run, options->settings);
  run->add_option("--for", options->seconds,
                  "Stop after this many seconds (fractions allowed); default: run until SIGINT "
                  "or SIGTERM")
      ->check(kSecondsToRun);
  run->add_flag("--autosend", options->autoSend,
                "Send the active rows one per \"CycleTime\" (AutoSend on for this run only)");
  run->add_flag("--timestamps", options->timestamps,
                "Start each trace line with the local time it began (HH:MM:SS.mmm)");
  AddWakeOnDataFlag(*run, options->wakeOnData);
  run->add_option("--stats", options->statsFile,
                  "When the run ends (SIGINT and SIGTERM included), write each row's sends, "
                  "AutoReply hits and response times to FILE as JSON and a summary to standard "
                  "error")
      ->type_name("FILE");
  run->add_option("MESSAGEFILE", options->messageFile, "Message file with the rows to use")
      ->required();
  run->callback([options, &context] { context.exitCode = RunSimulator(*options, context); });
}

}  // namespace linkwright
