#pragma once

#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/scenario_runner.h"

namespace linkwright {

// The outcomes of one scenario file's run, for the reports.
struct ScenarioRun {
  const Scenario* scenario = nullptr;
  std::vector<TestOutcome> outcomes;
};

// A test's time as a report shows it: "12 ms".
std::string MillisecondsText(std::chrono::steady_clock::duration time);
// Why a test failed, one line each: the step with its place in the file, what was expected,
// what arrived. Empty for a test that did not fail.
std::vector<std::string> FailureLines(const Scenario& scenario, size_t test,
                                      const TestOutcome& outcome);
// The test's last traffic lines: "> " for sent, "< " for received, each with the local time
// in front when `timestamps` is set.
std::vector<std::string> TrafficLines(const TestOutcome& outcome, bool timestamps);

// The JUnit XML that CI servers read: a testsuite per file, a testcase per test, a failure with
// the reason, the traffic as system-out; tests that did not run are skipped.
std::string JUnitXml(const std::vector<ScenarioRun>& runs);
// The same as JSON.
std::string ScenarioJson(const std::vector<ScenarioRun>& runs);

}  // namespace linkwright
