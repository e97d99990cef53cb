#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <boost/regex.hpp>

#include "scenario/scenario_checksum.h"

namespace linkwright {

// Where something stands in a scenario file, counted from 1.
struct SourcePlace {
  int line = 0;
  int column = 0;
};

enum class StepKind { kSend, kExpect, kSilence, kWait, kClose, kOpen };

// What a send puts on the link, or what an expected packet must be.
enum class PayloadForm {
  kText,   // escape text, `${name}` replaced by an earlier capture first
  kBytes,  // bytes as they are (written in hexadecimal in the file)
  kRow,    // a row of the message file (send only)
  kRegex,  // a pattern the whole packet matches (expect only)
};

// One step of a test, checked when the file was read: its regex compiles, its row is in range,
// every `${name}` it uses was captured by an earlier expect of the same test.
struct ScenarioStep {
  StepKind kind = StepKind::kSend;
  SourcePlace place;
  PayloadForm form = PayloadForm::kText;
  // The escape text, the bytes or the pattern, as `form` says.
  std::string payload;
  int row = 0;
  std::shared_ptr<const boost::regex> regex;
  // The named groups of `regex`, captured for the steps after it.
  std::vector<std::string> captureNames;
  // Send: appended to the bytes; expect: the packet's last bytes must be it.
  std::optional<ChecksumCode> checksum;
  // Expect: the time limit; silence and wait: how long.
  std::chrono::milliseconds time{0};
  // The step as a person reads it in a report, `expect "PONG[CR]"`, and its part after the
  // kind, `"PONG[CR]"`.
  std::string title;
  std::string detail;
};

struct ScenarioTest {
  std::string name;
  SourcePlace place;
  std::vector<ScenarioStep> steps;
};

// A scenario file as read: the settings it changes, the message file its rows come from and
// its tests in order.
struct Scenario {
  std::filesystem::path file;
  // Section, key and value, in the file's order.
  struct Setting {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<Setting> settings;
  std::filesystem::path messages;
  SourcePlace messagesPlace;
  std::vector<ScenarioTest> tests;
};

}  // namespace linkwright
