#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "cli_context.h"
#include "config/configuration.h"
#include "document/message_file.h"
#include "front_end/front_end.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_report.h"
#include "scenario/scenario_runner.h"
#include "session/session.h"
#include "setting_overrides.h"
#include "stop_request.h"
#include "tick_wait.h"

namespace linkwright {

namespace {

using Clock = Session::Clock;

struct TestOptions {
  std::vector<std::string> files;
  std::vector<std::string> settings;
  std::string junitFile;
  std::string jsonFile;
  bool timestamps = false;
};

// A test run shows its own lines, not the trace: each test keeps its last traffic for the
// report of a failure. Notices still reach standard error.
class QuietFrontEnd : public FrontEnd {
 public:
  void AppendTrace(const TraceBatch& /*pieces*/) override {}
  void ClearTrace() override {}
  void PlaySignal(bool /*success*/) override {}
  void SetTxPaneText(const std::string& /*text*/) override {}
  void ShowLinkStatus(const std::string& /*description*/, LinkState /*state*/) override {}
  void ShowNotice(const std::string& text) override { std::cerr << text << '\n'; }
};

// Reads every file and its message file, so that a bad one stops the run before any byte is
// sent; false after the error line.
bool ReadScenarios(const std::vector<std::string>& files, std::vector<Scenario>& scenarios) {
  scenarios.resize(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    if (const Error read = ReadScenarioFile(files[i], scenarios[i]); read.Failed()) {
      Fail(read);
      return false;
    }
    MessageTable table;
    const Error loaded =
        scenarios[i].messages.empty() ? Error() : LoadMessageFile(table, scenarios[i].messages);
    if (loaded.Failed()) {
      Fail(files[i] + ":" + std::to_string(scenarios[i].messagesPlace.line) + ":" +
           std::to_string(scenarios[i].messagesPlace.column) + ": " + loaded.Message());
      return false;
    }
  }
  return true;
}

// The configuration for one file: the file's settings, then the command line's, which win.
void ApplySettings(const Scenario& scenario, const TestOptions& options,
                   const CliContext& context) {
  LoadConfiguration(context);
  std::vector<std::string> assignments;
  for (const Scenario::Setting& setting : scenario.settings) {
    assignments.push_back(setting.section + "." + setting.key + "=" + setting.value);
  }
  assignments.insert(assignments.end(), options.settings.begin(), options.settings.end());
  ApplySettingOverrides(assignments);
  GetConfiguration().Set(setting::kAutoSendEnabled, "0");
}

void PrintTest(const Scenario& scenario, size_t test, const TestOutcome& outcome, bool timestamps) {
  const bool passed = outcome.state == RunState::kPassed;
  std::cout << (passed ? "PASS  " : "FAIL  ") << scenario.tests[test].name << " ("
            << MillisecondsText(outcome.time) << ")\n";
  if (passed) {
    return;
  }
  for (const std::string& line : FailureLines(scenario, test, outcome)) {
    std::cout << "      " << line << '\n';
  }
  std::cout << "      last traffic:\n";
  for (const std::string& line : TrafficLines(outcome, timestamps)) {
    std::cout << "        " << line << '\n';
  }
}

// Runs the session's ticks, waking as soon as bytes arrive, and the runner's steps after each,
// until every test ran or a stop was asked for.
void Drive(Session& session, ScenarioRunner& runner) {
  runner.Advance(Clock::now());
  while (!runner.Finished()) {
    if (StopRequested()) {
      runner.Stop(Clock::now());
      break;
    }
    Clock::time_point wake = Clock::now() + kStopCheckPeriod;
    for (const auto& due : {session.NextDue(), runner.WaitsUntil()}) {
      wake = due ? std::min(wake, *due) : wake;
    }
    WaitForTicks(session, wake, true);
    session.RunDueTicks();
    runner.Advance(Clock::now());
  }
}

ScenarioRun RunScenario(const Scenario& scenario, const TestOptions& options,
                        const CliContext& context) {
  ApplySettings(scenario, options, context);
  QuietFrontEnd frontEnd;
  Session session(GetConfiguration(), frontEnd);
  if (!scenario.messages.empty()) {
    session.LoadTable(scenario.messages);
  }
  ScenarioRunner runner(session, scenario);
  runner.SetChangeListener([&](size_t test) {
    const TestOutcome& outcome = runner.Outcomes()[test];
    if (outcome.state == RunState::kPassed || outcome.state == RunState::kFailed) {
      PrintTest(scenario, test, outcome, options.timestamps);
    }
  });
  Drive(session, runner);
  if (session.IsOpen()) {
    session.CloseConnection();
  }
  return {&scenario, runner.Outcomes()};
}

int WriteReport(const std::string& path, const std::string& text) {
  if (path.empty()) {
    return kExitOk;
  }
  const Error written = WriteFileAtomically(path, text);
  return written.Failed() ? Fail(written) : kExitOk;
}

int RunTests(const TestOptions& options, const CliContext& context) {
  std::vector<Scenario> scenarios;
  if (!ReadScenarios(options.files, scenarios)) {
    return kExitUsage;
  }
  CatchStopSignals();
  std::vector<ScenarioRun> runs;
  size_t passed = 0;
  size_t failed = 0;
  for (const Scenario& scenario : scenarios) {
    runs.push_back(RunScenario(scenario, options, context));
    passed += CountState(runs.back().outcomes, RunState::kPassed);
    failed += CountState(runs.back().outcomes, RunState::kFailed);
  }
  std::cout << passed << " passed, " << failed << " failed";
  const size_t total = passed + failed;
  size_t notRun = 0;
  for (const ScenarioRun& run : runs) {
    notRun += run.outcomes.size();
  }
  notRun -= total;
  std::cout << (notRun > 0 ? ", " + std::to_string(notRun) + " skipped\n" : "\n");
  std::cout.flush();
  const int reports = std::max(WriteReport(options.junitFile, JUnitXml(runs)),
                               WriteReport(options.jsonFile, ScenarioJson(runs)));
  return failed > 0 || notRun > 0 ? kExitFailed : reports;
}

}  // namespace

void AddTestCommands(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<TestOptions>();
  auto* test = app.add_subcommand(
      "test",
      "Run scenario files: send messages, expect answers within a time, and report each test "
      "as passed or failed (exit 0 when all passed, 1 when one failed, 2 for a bad file)");
  AddSettingOverrideOption(*test, options->settings);
  test->add_option("--junit", options->junitFile, "Also write the results as JUnit XML to FILE")
      ->type_name("FILE");
  test->add_option("--json", options->jsonFile, "Also write the results as JSON to FILE")
      ->type_name("FILE");
  test->add_flag("--timestamps", options->timestamps,
                 "Start each traffic line of a failure report with its local time");
  test->add_option("FILE", options->files, "Scenario files (YAML), run in the order given")
      ->required();
  test->callback([options, &context] { context.exitCode = RunTests(*options, context); });
}

}  // namespace linkwright
