#include "scenario/scenario_file.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include <yaml-cpp/yaml.h>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "config/setting_values.h"
#include "document/message_table.h"

namespace linkwright {

namespace {

// A problem found while reading, thrown inside this file only and turned into an Error by
// ReadScenarioFile.
struct FileProblem {
  YAML::Mark mark;
  std::string text;
};

[[noreturn]] void Reject(const YAML::Node& node, std::string text) {
  throw FileProblem{node.Mark(), std::move(text)};
}

// The longest time a step may name: a day, far beyond any sensible test.
constexpr long long kLongestTimeMs = 24LL * 60 * 60 * 1000;

std::string Scalar(const YAML::Node& node, std::string_view what) {
  if (!node.IsScalar()) {
    Reject(node, std::string(what) + " must be a single value");
  }
  return node.Scalar();
}

// "500", "500ms", "2s", "1.5s": a time in milliseconds.
std::chrono::milliseconds ReadTime(const YAML::Node& node) {
  const std::string text = Scalar(node, "a time");
  double number = 0;
  std::istringstream in(text);
  in >> number;
  std::string unit;
  if (in) {
    std::getline(in, unit);
  }
  const double scale = unit.empty() || unit == "ms" ? 1.0 : unit == "s" ? 1000.0 : -1.0;
  const double ms = number * scale;
  if (!in.eof() || scale < 0 || !(ms >= 0 && ms <= static_cast<double>(kLongestTimeMs))) {
    Reject(node, "'" + text + "' is not a time (milliseconds, or a number with ms or s)");
  }
  return std::chrono::milliseconds(static_cast<long long>(ms + 0.5));
}

int ReadRow(const YAML::Node& node) {
  const std::string text = Scalar(node, "a row");
  int row = 0;
  size_t used = 0;
  try {
    row = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || used == 0 || row < 1 || row > MessageTable::kDefaultRowCount) {
    Reject(node, "'" + text + "' is not a row (1 … " +
                     std::to_string(MessageTable::kDefaultRowCount) + ")");
  }
  return row;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// "06", "01 03 0A": pairs of hexadecimal digits, blanks between bytes allowed.
ByteString ReadHex(const YAML::Node& node) {
  const std::string text = Scalar(node, "hex");
  ByteString bytes;
  int high = -1;
  for (char c : text) {
    if (high < 0 && (c == ' ' || c == '\t')) {
      continue;
    }
    const int digit = HexDigit(c);
    if (digit < 0) {
      Reject(node, "'" + text + "' is not hexadecimal bytes such as \"01 03 0A\"");
    }
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high * 16 + digit);
      high = -1;
    }
  }
  if (high >= 0 || bytes.empty()) {
    Reject(node, "'" + text + "' is not hexadecimal bytes such as \"01 03 0A\"");
  }
  return bytes;
}

// The names of the pattern's named groups: (?<name>…), (?P<name>…), (?'name'…).
std::vector<std::string> NamedGroups(const std::string& pattern) {
  std::vector<std::string> names;
  for (size_t at = pattern.find("(?"); at != std::string::npos; at = pattern.find("(?", at + 2)) {
    size_t start = at + 2;
    if (pattern.compare(start, 1, "P") == 0) {
      ++start;
    }
    if (start >= pattern.size() || (pattern[start] != '<' && pattern[start] != '\'')) {
      continue;
    }
    const char close = pattern[start] == '<' ? '>' : '\'';
    const size_t end = pattern.find(close, start + 1);
    const std::string name = pattern.substr(start + 1, end - start - 1);
    // (?<= and (?<! are look-behinds, not names.
    if (end != std::string::npos && !name.empty() && name[0] != '=' && name[0] != '!') {
      names.push_back(name);
    }
  }
  return names;
}

// Compiled as AutoReply compiles its triggers: Perl syntax, case-sensitive.
std::shared_ptr<const boost::regex> CompileRegex(const YAML::Node& node) {
  const std::string pattern = Scalar(node, "a regex");
  try {
    return std::make_shared<const boost::regex>(pattern, boost::regex::perl);
  } catch (const boost::regex_error& e) {
    Reject(node, "the regex '" + pattern + "' does not compile: " + e.what());
  }
}

class StepReader {
 public:
  explicit StepReader(std::chrono::milliseconds defaultTime) : m_DefaultTime(defaultTime) {}

  ScenarioStep Read(const YAML::Node& node) {
    if (node.IsScalar()) {
      return Bare(node);
    }
    if (!node.IsMap() || node.size() != 1) {
      Reject(node, "a step is one of send, expect, silence, wait, close, open");
    }
    const std::string kind = node.begin()->first.as<std::string>();
    const YAML::Node value = node.begin()->second;
    ScenarioStep step;
    step.place = {node.Mark().line + 1, node.Mark().column + 1};
    if (kind == "send") {
      ReadSend(value, step);
    } else if (kind == "expect") {
      ReadExpect(value, step);
    } else if (kind == "silence" || kind == "wait") {
      step.kind = kind == "silence" ? StepKind::kSilence : StepKind::kWait;
      step.time = ReadTime(value);
      step.title = kind + " " + std::to_string(step.time.count()) + " ms";
    } else {
      Reject(node.begin()->first, "unknown step '" + kind +
                                      "' (a step is one of send, expect, silence, wait, close, "
                                      "open)");
    }
    return step;
  }

 private:
  ScenarioStep Bare(const YAML::Node& node) {
    ScenarioStep step;
    step.place = {node.Mark().line + 1, node.Mark().column + 1};
    step.title = node.Scalar();
    if (step.title == "close") {
      step.kind = StepKind::kClose;
    } else if (step.title == "open") {
      step.kind = StepKind::kOpen;
    } else {
      Reject(node, "unknown step '" + step.title +
                       "' (a step is one of send, expect, silence, wait, close, open)");
    }
    return step;
  }

  void ReadSend(const YAML::Node& value, ScenarioStep& step) {
    step.kind = StepKind::kSend;
    ReadPayload(value, step, {"text", "hex", "row"}, {"checksum"});
    if (step.form == PayloadForm::kRow && step.checksum) {
      Reject(value, "a row is sent as it stands, without a checksum");
    }
    step.title = "send " + step.detail;
  }

  void ReadExpect(const YAML::Node& value, ScenarioStep& step) {
    step.kind = StepKind::kExpect;
    step.time = m_DefaultTime;
    ReadPayload(value, step, {"text", "hex", "regex"}, {"checksum", "within"});
    step.title = "expect " + step.detail;
    m_Captured.insert(step.captureNames.begin(), step.captureNames.end());
  }

  // A plain value is escape text; a map names one of `forms` and any of `options`.
  void ReadPayload(const YAML::Node& value, ScenarioStep& step,
                   std::initializer_list<std::string_view> forms,
                   std::initializer_list<std::string_view> options) {
    if (value.IsScalar()) {
      ReadForm("text", value, step);
      return;
    }
    if (!value.IsMap()) {
      Reject(value, "expected escape text or a map such as {hex: \"06\"}");
    }
    int formCount = 0;
    for (const auto& entry : value) {
      const std::string key = entry.first.as<std::string>();
      if (std::find(forms.begin(), forms.end(), key) != forms.end()) {
        ++formCount;
        ReadForm(key, entry.second, step);
      } else if (key == "checksum" && Has(options, key)) {
        step.checksum = ChecksumByName(Scalar(entry.second, "a checksum"));
        if (!step.checksum) {
          Reject(entry.second, "unknown checksum '" + entry.second.Scalar() + "' (one of " +
                                   ChecksumNames() + ")");
        }
      } else if (key == "within" && Has(options, key)) {
        step.time = ReadTime(entry.second);
      } else {
        Reject(entry.first, "unknown key '" + key + "' here");
      }
    }
    if (formCount != 1) {
      Reject(value, "name exactly one of " + Joined(forms));
    }
  }

  void ReadForm(const std::string& form, const YAML::Node& node, ScenarioStep& step) {
    if (form == "hex") {
      step.form = PayloadForm::kBytes;
      step.payload = ReadHex(node);
      step.detail = "hex " + node.Scalar();
    } else if (form == "row") {
      step.form = PayloadForm::kRow;
      step.row = ReadRow(node);
      step.detail = "row " + std::to_string(step.row);
    } else if (form == "regex") {
      step.form = PayloadForm::kRegex;
      step.regex = CompileRegex(node);
      step.payload = node.Scalar();
      step.captureNames = NamedGroups(step.payload);
      step.detail = "regex \"" + BytesToText(step.payload, false) + "\"";
    } else {
      step.form = PayloadForm::kText;
      step.payload = Scalar(node, "text");
      CheckCaptures(node, step.payload);
      step.detail = "\"" + step.payload + "\"";
    }
  }

  // Every ${name} in the text names a group an earlier expect of this test captures.
  void CheckCaptures(const YAML::Node& node, const std::string& text) const {
    for (size_t at = text.find("${"); at != std::string::npos; at = text.find("${", at + 2)) {
      const size_t end = text.find('}', at);
      const std::string name = text.substr(at + 2, end - at - 2);
      if (end == std::string::npos || m_Captured.count(name) == 0) {
        Reject(node, "'${" + name + "}' names no capture of an earlier expect in this test");
      }
    }
  }

  static bool Has(std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  static std::string Joined(std::initializer_list<std::string_view> names) {
    std::string text;
    for (std::string_view name : names) {
      text += text.empty() ? "" : ", ";
      text += name;
    }
    return text;
  }

  std::chrono::milliseconds m_DefaultTime;
  std::set<std::string> m_Captured;
};

void ReadSettings(const YAML::Node& node, Scenario& scenario) {
  if (!node.IsMap()) {
    Reject(node, "settings must be a map of Section.Key: value");
  }
  for (const auto& entry : node) {
    const std::string name = entry.first.as<std::string>();
    const size_t dot = name.find('.');
    const std::optional<size_t> index =
        dot == std::string::npos
            ? std::nullopt
            : Configuration::KeyIndex(name.substr(0, dot), name.substr(dot + 1));
    if (!index) {
      Reject(entry.first, "unknown setting '" + name + "'");
    }
    const std::string value = Scalar(entry.second, "a setting");
    if (const Error problem = SettingValueProblem(*index, value); problem.Failed()) {
      Reject(entry.second, problem.Message());
    }
    scenario.settings.push_back({name.substr(0, dot), name.substr(dot + 1), value});
  }
}

ScenarioTest ReadTest(const YAML::Node& node, std::chrono::milliseconds defaultTime) {
  if (!node.IsMap() || !node["name"] || !node["steps"] || !node["steps"].IsSequence()) {
    Reject(node, "a test needs a name and a list of steps");
  }
  ScenarioTest test{
      Scalar(node["name"], "a test name"), {node.Mark().line + 1, node.Mark().column + 1}, {}};
  for (const auto& entry : node) {
    const std::string key = entry.first.as<std::string>();
    if (key != "name" && key != "steps") {
      Reject(entry.first, "unknown key '" + key + "' in a test (name, steps)");
    }
  }
  StepReader steps(defaultTime);
  for (const YAML::Node& step : node["steps"]) {
    test.steps.push_back(steps.Read(step));
  }
  return test;
}

void ReadScenario(const YAML::Node& root, Scenario& scenario) {
  if (!root.IsMap() || !root["tests"] || !root["tests"].IsSequence()) {
    Reject(root, "a scenario is a map with a list of tests");
  }
  for (const auto& entry : root) {
    const std::string key = entry.first.as<std::string>();
    if (key != "settings" && key != "messages" && key != "timeout" && key != "tests") {
      Reject(entry.first, "unknown key '" + key + "' (settings, messages, timeout, tests)");
    }
  }
  if (root["settings"]) {
    ReadSettings(root["settings"], scenario);
  }
  if (root["messages"]) {
    scenario.messages = scenario.file.parent_path() / Scalar(root["messages"], "messages");
    scenario.messagesPlace = {root["messages"].Mark().line + 1, root["messages"].Mark().column + 1};
  }
  const std::chrono::milliseconds defaultTime =
      root["timeout"] ? ReadTime(root["timeout"]) : kDefaultExpectTime;
  for (const YAML::Node& test : root["tests"]) {
    scenario.tests.push_back(ReadTest(test, defaultTime));
  }
}

// An empty document has no place: its problems are at its start.
std::string PlaceText(const std::filesystem::path& path, const YAML::Mark& mark) {
  return path.string() + ":" + std::to_string(std::max(mark.line, 0) + 1) + ":" +
         std::to_string(std::max(mark.column, 0) + 1) + ": ";
}

}  // namespace

Error ReadScenarioFile(const std::filesystem::path& path, Scenario& scenario) {
  std::ifstream in(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path) || !in) {
    return Error(ErrorKind::kSystem, path.string() + ": cannot read the scenario file");
  }
  std::ostringstream text;
  text << in.rdbuf();
  scenario = Scenario();
  scenario.file = path;
  try {
    ReadScenario(YAML::Load(text.str()), scenario);
  } catch (const FileProblem& problem) {
    return Error(ErrorKind::kInput, PlaceText(path, problem.mark) + problem.text);
  } catch (const YAML::Exception& e) {
    return Error(ErrorKind::kInput, PlaceText(path, e.mark) + e.msg);
  }
  return Error();
}

}  // namespace linkwright
