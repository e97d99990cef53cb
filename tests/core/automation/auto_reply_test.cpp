#include <string>
#include <vector>

#include "automation/regex_checker.h"
#include "diag/diag_log.h"
#include "support/default_configuration.h"
#include "support/linked_session_fixture.h"

namespace linkwright {

namespace {

// AutoReply on a document whose link is closed: the row picked is selected whatever the send
// reports, so the picks can be followed in the table's selection.
class AutoReplyTest : public LinkedSessionTest {
 protected:
  // The row that answered, 0 when none did.
  int Answer(const std::string& packet) {
    const bool answered = m_Session.AutoReply(packet);
    const int picked = m_Table.SelectedRow();
    EXPECT_EQ(answered, picked != MessageTable::kNoRow);
    return answered ? picked : 0;
  }

  int CheckRegexWarnings(const std::string& pattern) const {
    return CountLog('W', "Check regex \"" + pattern + "\"");
  }
};

struct MatchCase {
  const char* trigger;
  std::string packet;
  bool useRegex;
  bool answers;
};

TEST_F(AutoReplyTest, TriggersMatchExactlyOrAsWholeExpressions) {
  const std::vector<MatchCase> cases = {
      {"PING", "PING", false, true},
      {"PING.*", "PING1", false, false},
      {"PING[CR]", "PING\r", false, true},
      {"PING", "PING\r", true, false},
      {"PING.*", "PING", true, true},
      {"PING.*", "PINGPONG", true, true},
      {"PING", "xPINGy", true, false},
      {".*PING.*", "xPINGy", true, true},
      {"PING[CR]", "PING\r", true, true},
      {"[13]+", "\r\r\r", true, true},
      {"[13]+", "1313", true, false},
      {"[0-9]+", "1313", true, true},
      {"ping", "PING", true, false},
      {"", "", true, true},
      {"", "X", true, false},
      {"(unbalanced", "(unbalanced", true, true},
      {"A[NUL]B", std::string("A\0B", 3), false, true},
      {"A.*", std::string("A\0B", 3), true, true},
      {"A.*B", std::string("A\0B", 3), true, false},
  };
  for (const MatchCase& c : cases) {
    SetSetting(setting::kUseRegex, c.useRegex ? "1" : "0");
    SetReplyRow(9, c.trigger, "REPLY");
    EXPECT_EQ(Answer(c.packet), c.answers ? 9 : 0)
        << "trigger " << c.trigger << " regex " << c.useRegex;
  }
}

// Triggers are prepared once per edit: an edited trigger, a row switched off and a changed
// "UseRegex" count from the next packet on.
TEST_F(AutoReplyTest, EditsAndTheRegexSettingTakeEffectAtTheNextPacket) {
  SetReplyRow(6, "GET [0-9]+", "VALUE");
  EXPECT_EQ(Answer("GET 1"), 6);
  SetSetting(setting::kUseRegex, "0");
  EXPECT_EQ(Answer("GET 1"), 0);
  SetSetting(setting::kUseRegex, "1");
  m_Table.SetItemText(6, MessageTable::kTriggerColumn, "PUT [0-9]+");
  EXPECT_EQ(Answer("GET 1"), 0);
  EXPECT_EQ(Answer("PUT 2"), 6);
  m_Table.SetActive(6, 0);
  EXPECT_EQ(Answer("PUT 2"), 0);
  m_Table.LoadRows({{"RELOADED", "", 1, "PUT 2"}});
  EXPECT_EQ(Answer("PUT 2"), 1);
}

TEST_F(AutoReplyTest, AnInactiveRowNeverAnswers) {
  SetReplyRow(4, "PING", "PONG");
  m_Table.SetActive(4, 0);
  EXPECT_EQ(Answer("PING"), 0);
}

TEST_F(AutoReplyTest, AnInvalidExpressionWarnsOnEveryPacketAndTheScanGoesOn) {
  SetReplyRow(2, "(bad", "X");
  SetReplyRow(3, "OK.*", "Y");
  EXPECT_EQ(Answer("OK1"), 3);
  m_Table.ClearSelection();
  m_Table.SetFocusedRow(MessageTable::kNoRow);
  EXPECT_EQ(Answer("OK2"), 3);
  EXPECT_EQ(CheckRegexWarnings("(bad"), 2);
}

TEST_F(AutoReplyTest, TheLogShowsEachPacketInSymbolForm) {
  Answer(std::string("A\r\0", 3));
  EXPECT_EQ(CountLog(' ', "AutoReply test for \"A[CR][NUL]\""), 1);
}

TEST_F(AutoReplyTest, RowsWithTheSameTriggerAnswerInTurn) {
  SetReplyRow(5, "PING", "A");
  SetReplyRow(9, "PING", "B");
  EXPECT_EQ(Answer("PING"), 5);
  EXPECT_EQ(Answer("PING"), 9);
  EXPECT_EQ(Answer("PING"), 5);
  EXPECT_EQ(m_Table.SelectedRow(), 5);
}

TEST_F(AutoReplyTest, TheScanStartsAfterTheFocusedRowAndGoesRound) {
  SetReplyRow(2, "X", "two");
  SetReplyRow(40, "X", "forty");
  m_Table.SetFocusedRow(40);
  EXPECT_EQ(Answer("X"), 2);
  m_Table.SetFocusedRow(2);
  EXPECT_EQ(Answer("X"), 40);
  m_Table.SetFocusedRow(41);
  EXPECT_EQ(Answer("X"), 2);
}

TEST_F(AutoReplyTest, AScanStartingPastTheLastRowBeginsAtRowOne) {
  SetReplyRow(1, "X", "first");
  SetReplyRow(99, "X", "last");
  m_Table.SetFocusedRow(99);
  EXPECT_EQ(Answer("X"), 1);
  m_Table.SelectRow(98);
  EXPECT_EQ(Answer("X"), 99);
  // The match on the last row leaves the next scan to start past it.
  m_Table.SetFocusedRow(MessageTable::kNoRow);
  EXPECT_EQ(Answer("X"), 1);
}

TEST_F(AutoReplyTest, NoMatchClearsTheSelectionAndRestartsAtRowOne) {
  SetReplyRow(3, "A", "x");
  SetReplyRow(6, "A", "y");
  EXPECT_EQ(Answer("A"), 3);
  m_Table.SetFocusedRow(MessageTable::kNoRow);
  EXPECT_EQ(Answer("nothing"), 0);
  EXPECT_EQ(m_Table.SelectedRow(), MessageTable::kNoRow);
  EXPECT_EQ(Answer("A"), 3) << "after a miss the scan starts at row 1 again";
}

TEST_F(AutoReplyTest, AMatchSendsTheRowEvenWhenTheSendFails) {
  SetReplyRow(7, "Q", "R");
  EXPECT_TRUE(m_Session.AutoReply("Q"));
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false}) << "the closed link's failure beep";
}

TEST(RegexCheckerTest, ResultsStayTheSameWhenAnExpressionIsUsedAgain) {
  const RegexChecker checker("A+B");
  const RegexChecker cutAtNul(std::string("X\0junk", 6));
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(checker.CheckRegex("AAAB"));
    EXPECT_FALSE(checker.CheckRegex("AAA"));
    EXPECT_TRUE(cutAtNul.CheckRegex("X"));
  }
}

TEST(RegexCheckerTest, AnExpressionTooComplexToMatchFailsWithAWarning) {
  std::vector<std::string> warnings;
  SetDiagSink([&warnings](std::string_view line) { warnings.emplace_back(line); });
  const RegexChecker checker("(a*)*(a*)*(a*)*b");
  const bool matched = checker.CheckRegex(std::string(40, 'a'));
  SetDiagSink(nullptr);
  EXPECT_FALSE(matched);
  ASSERT_EQ(warnings.size(), 2u) << "header and one warning";
  EXPECT_NE(warnings[1].find("|W|Check regex \"(a*)*(a*)*(a*)*b\""), std::string::npos);
}

}  // namespace

}  // namespace linkwright
