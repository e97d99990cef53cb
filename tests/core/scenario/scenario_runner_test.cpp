#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checksum/checksum.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_runner.h"
#include "support/linked_session_fixture.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// The runner over a scripted link: what the far end answers is queued up front, and time moves
// only when the test moves it.
class ScenarioRunnerTest : public LinkedSessionTest {
 protected:
  struct Case {
    std::string steps;
    std::vector<std::string> answers;
    bool passes;
    std::string arrived;
  };

  // Runs one test of the given steps; ticks and moves the clock until it ends.
  TestOutcome Run(const std::string& steps, const std::vector<std::string>& answers) {
    WriteFileBytes(m_Dir / "s.yaml", "tests:\n  - name: t\n    steps:\n" + steps);
    const Error read = ReadScenarioFile(m_Dir / "s.yaml", m_Scenario);
    EXPECT_FALSE(read.Failed()) << read.Message();
    OpenScriptedLink();
    for (const std::string& answer : answers) {
      m_Script->Add(answer);
    }
    ScenarioRunner runner(m_Session, m_Scenario);
    runner.Advance(m_Now);
    for (int i = 0; i < 100 && !runner.Finished(); ++i) {
      Pass(milliseconds(50));
      Tick();
      runner.Advance(m_Now);
    }
    EXPECT_TRUE(runner.Finished());
    m_Link.Close();
    return runner.Outcomes().at(0);
  }

  TempDir m_Dir;
  Scenario m_Scenario;
};

TEST_F(ScenarioRunnerTest, ExpectsTakeThePacketsInOrderAndFailWithWhatArrived) {
  const Case cases[] = {
      {"      - send: \"PING[CR]\"\n      - expect: \"PONG[CR]\"\n", {"PONG\r"}, true, ""},
      {"      - send: \"PING[CR]\"\n      - expect: \"PONG[CR]\"\n", {"PANG\r"}, false, "PANG[CR]"},
      {"      - expect: {hex: \"41 0d\"}\n      - expect: B[CR]\n", {"A\rB\r"}, true, ""},
      {"      - expect: {regex: \"V [0-9]+\\r\"}\n", {"V 12x\r"}, false, "V 12x[CR]"},
      {"      - expect: {text: \"PONG[CR]\", within: 300}\n", {}, false, "nothing within 300 ms"},
      {"      - expect: PONG[CR]\n",
       {"PO"},
       false,
       "nothing within 1000 ms (unfinished packet: PO)"},
      {"      - silence: 200\n", {"X\r"}, false, "X[CR]"},
      {"      - wait: 100\n      - expect: X[CR]\n", {"X\r"}, true, ""},
  };
  for (const Case& c : cases) {
    const TestOutcome outcome = Run(c.steps, c.answers);
    EXPECT_EQ(outcome.state, c.passes ? RunState::kPassed : RunState::kFailed) << c.steps;
    EXPECT_EQ(outcome.arrived, c.arrived) << c.steps;
  }
}

TEST_F(ScenarioRunnerTest, ACaptureAndAChecksumGoIntoLaterSends) {
  const TestOutcome outcome =
      Run("      - send: GET[CR]\n"
          "      - expect: {regex: \"VALUE (?<v>[0-9]+)\\r\"}\n"
          "      - send: \"SET ${v}[CR]\"\n"
          "      - send: {text: \"[x01][x03]\", checksum: crc-modbus-ge}\n",
          {"VALUE 17\r"});
  EXPECT_EQ(outcome.state, RunState::kPassed) << outcome.expected << " / " << outcome.arrived;
  const int32_t crc = ModbusGeCrc("\x01\x03");
  const std::vector<ByteString> sent = {
      "GET\r", "SET 17\r",
      ByteString("\x01\x03") + static_cast<char>(crc >> 8) + static_cast<char>(crc & 0xFF)};
  EXPECT_EQ(m_Script->sent, sent);
}

}  // namespace

}  // namespace linkwright
