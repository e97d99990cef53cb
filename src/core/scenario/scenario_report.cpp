#include "scenario/scenario_report.h"

#include <cstdio>

#include "front_end/trace_timestamps.h"
#include "xml/xml_entities.h"

namespace linkwright {

namespace {

std::string SecondsText(std::chrono::steady_clock::duration time) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", std::chrono::duration<double>(time).count());
  return text;
}

std::string Attribute(const char* name, std::string_view value) {
  return std::string(" ") + name + "=\"" + EncodeXmlText(value) + "\"";
}

std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  return text;
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

std::string JsonStrings(const std::vector<std::string>& lines) {
  std::string json = "[";
  for (size_t i = 0; i < lines.size(); ++i) {
    json += (i == 0 ? "" : ", ") + JsonString(lines[i]);
  }
  return json + "]";
}

std::string StateName(RunState state) {
  switch (state) {
    case RunState::kPassed:
      return "passed";
    case RunState::kFailed:
      return "failed";
    case RunState::kRunning:
    case RunState::kWaiting:
      break;
  }
  return "not run";
}

std::string TestCaseXml(const Scenario& scenario, size_t test, const TestOutcome& outcome) {
  std::string xml = "    <testcase" + Attribute("name", scenario.tests[test].name) +
                    Attribute("classname", scenario.file.stem().string()) +
                    Attribute("time", SecondsText(outcome.time)) + ">\n";
  if (outcome.state == RunState::kFailed) {
    const std::vector<std::string> lines = FailureLines(scenario, test, outcome);
    xml += "      <failure" + Attribute("message", lines.front()) + ">" +
           EncodeXmlText(JoinedLines(lines)) + "</failure>\n";
  } else if (outcome.state != RunState::kPassed) {
    xml += "      <skipped/>\n";
  }
  xml += "      <system-out>" + EncodeXmlText(JoinedLines(TrafficLines(outcome, true))) +
         "</system-out>\n    </testcase>\n";
  return xml;
}

std::string TestJson(const Scenario& scenario, size_t test, const TestOutcome& outcome) {
  return "{\"name\": " + JsonString(scenario.tests[test].name) +
         ", \"state\": " + JsonString(StateName(outcome.state)) + ", \"time_ms\": " +
         std::to_string(
             std::chrono::duration_cast<std::chrono::milliseconds>(outcome.time).count()) +
         ", \"failure\": " + JsonStrings(FailureLines(scenario, test, outcome)) +
         ", \"traffic\": " + JsonStrings(TrafficLines(outcome, true)) + "}";
}

}  // namespace

std::string MillisecondsText(std::chrono::steady_clock::duration time) {
  return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(time).count()) +
         " ms";
}

std::vector<std::string> FailureLines(const Scenario& scenario, size_t test,
                                      const TestOutcome& outcome) {
  if (outcome.state != RunState::kFailed) {
    return {};
  }
  const ScenarioTest& failed = scenario.tests[test];
  // A test that could not start (its link did not open) failed before its first step.
  const bool atStep = outcome.failedStep && *outcome.failedStep < failed.steps.size();
  const SourcePlace place = atStep ? failed.steps[*outcome.failedStep].place : failed.place;
  const std::string where = scenario.file.string() + ":" + std::to_string(place.line) + ":" +
                            std::to_string(place.column);
  return {atStep ? "step " + std::to_string(*outcome.failedStep + 1) + " (" + where +
                       "): " + failed.steps[*outcome.failedStep].title
                 : "start of the test (" + where + ")",
          "expected: " + outcome.expected, "arrived:  " + outcome.arrived};
}

std::vector<std::string> TrafficLines(const TestOutcome& outcome, bool timestamps) {
  std::vector<std::string> lines;
  for (const TrafficLine& line : outcome.traffic) {
    lines.push_back((timestamps ? TraceTimePrefix(line.time) : std::string()) +
                    (line.sent ? "> " : "< ") + line.text);
  }
  return lines;
}

std::string JUnitXml(const std::vector<ScenarioRun>& runs) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n";
  for (const ScenarioRun& run : runs) {
    std::chrono::steady_clock::duration total{};
    for (const TestOutcome& outcome : run.outcomes) {
      total += outcome.time;
    }
    xml += "  <testsuite" + Attribute("name", run.scenario->file.string()) +
           Attribute("tests", std::to_string(run.outcomes.size())) +
           Attribute("failures", std::to_string(CountState(run.outcomes, RunState::kFailed))) +
           Attribute("skipped", std::to_string(run.outcomes.size() -
                                               CountState(run.outcomes, RunState::kFailed) -
                                               CountState(run.outcomes, RunState::kPassed))) +
           Attribute("time", SecondsText(total)) + ">\n";
    for (size_t i = 0; i < run.outcomes.size(); ++i) {
      xml += TestCaseXml(*run.scenario, i, run.outcomes[i]);
    }
    xml += "  </testsuite>\n";
  }
  return xml + "</testsuites>\n";
}

std::string ScenarioJson(const std::vector<ScenarioRun>& runs) {
  std::string json = "{\"files\": [";
  for (size_t r = 0; r < runs.size(); ++r) {
    json += std::string(r == 0 ? "\n" : ",\n") +
            "  {\"file\": " + JsonString(runs[r].scenario->file.string()) + ", \"tests\": [";
    for (size_t i = 0; i < runs[r].outcomes.size(); ++i) {
      json += std::string(i == 0 ? "\n" : ",\n") + "    " +
              TestJson(*runs[r].scenario, i, runs[r].outcomes[i]);
    }
    json += "\n  ]}";
  }
  return json + "\n]}\n";
}

}  // namespace linkwright
