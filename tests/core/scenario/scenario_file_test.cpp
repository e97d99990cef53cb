#include <gtest/gtest.h>

#include <string>

#include "scenario/scenario_file.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

struct BadStep {
  std::string step;
  // Where the error must point: the first character of this text on the step's line.
  std::string at;
  std::string says;
};

// Every kind of bad step is refused with the file, line and column of what is wrong, so nothing
// of the file runs.
TEST(ScenarioFileTest, ABadStepNamesItsPlaceAndWhatIsWrong) {
  const BadStep cases[] = {
      {"jump: 3", "jump", "unknown step 'jump'"},
      {"send: {row: 100}", "100", "'100' is not a row (1 … 99)"},
      {"expect: {regex: \"(open\"}", "\"(open", "the regex '(open' does not compile"},
      {"wait: soon", "soon", "'soon' is not a time"},
      {"expect: {text: A, within: 2 minutes}", "2 minutes", "'2 minutes' is not a time"},
      {"send: \"X${v}\"", "\"X", "'${v}' names no capture of an earlier expect"},
      {"expect: {hex: \"0G\"}", "\"0G", "is not hexadecimal bytes"},
      {"expect: {regex: \".*\", checksum: crc32}", "crc32", "unknown checksum 'crc32'"},
      {"send: {row: 2, checksum: xor}", "{", "a row is sent as it stands"},
  };
  TempDir dir;
  for (const BadStep& bad : cases) {
    const std::string line = "      - " + bad.step;
    WriteFileBytes(dir / "bad.yaml",
                   "tests:\n  - name: t\n    steps:\n      - send: \"A\"\n" + line + "\n");
    Scenario scenario;
    const Error error = ReadScenarioFile(dir / "bad.yaml", scenario);
    const std::string place =
        (dir / "bad.yaml").string() + ":5:" + std::to_string(line.find(bad.at) + 1) + ": ";
    EXPECT_EQ(error.Kind(), ErrorKind::kInput) << bad.step;
    EXPECT_EQ(error.Message().substr(0, place.size()), place) << error.Message();
    EXPECT_NE(error.Message().find(bad.says), std::string::npos) << error.Message();
  }
}

TEST(ScenarioFileTest, TextThatIsNotAScenarioIsRefusedWithItsPlace) {
  const std::pair<std::string, std::string> cases[] = {
      {"tests: [\n  {name: x\n", ":3:1: "},
      {"just words\n", ":1:1: a scenario is a map with a list of tests"},
      {"tests: []\nsetting:\n  Connection.Mode: 1\n", ":2:1: unknown key 'setting'"},
      {"settings:\n  Connection.Mode: 9\ntests: []\n", ":2:20: Connection.Mode takes"},
  };
  TempDir dir;
  for (const auto& [text, says] : cases) {
    WriteFileBytes(dir / "bad.yaml", text);
    Scenario scenario;
    const Error error = ReadScenarioFile(dir / "bad.yaml", scenario);
    EXPECT_NE(error.Message().find((dir / "bad.yaml").string() + says), std::string::npos)
        << error.Message();
  }
}

}  // namespace

}  // namespace linkwright
