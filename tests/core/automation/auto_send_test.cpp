#include <string>
#include <vector>

#include "support/default_configuration.h"
#include "support/linked_session_fixture.h"

namespace linkwright {

namespace {

const std::string kNoActiveRow = "AutoSend() fallito : nessuna riga selezionata";

class AutoSendTest : public LinkedSessionTest {
 protected:
  void Activate(const std::vector<int>& rows) {
    for (int row : rows) {
      SetReplyRow(row, "", "R" + std::to_string(row) + "[LF]");
    }
  }

  // The rows the next steps pick.
  std::vector<int> Steps(int count) {
    std::vector<int> rows;
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(m_Session.AutoSendStep());
      rows.push_back(m_Table.FocusedRow());
    }
    return rows;
  }
};

TEST_F(AutoSendTest, ActiveRowsAreSentInOrderAroundFromTheFocusedRow) {
  OpenTcpClientLink();
  Activate({3, 7, 12});
  m_Table.SetFocusedRow(7);
  EXPECT_EQ(Steps(4), (std::vector<int>{12, 3, 7, 12}));
  EXPECT_EQ(m_Peer.Read(14), "R12\nR3\nR7\nR12\n");
  EXPECT_EQ(m_SelectedRows, (std::vector<int>{12, 3, 7, 12}));
}

TEST_F(AutoSendTest, TheOnlyActiveRowIsSentEveryStep) {
  Activate({4});
  EXPECT_EQ(Steps(3), (std::vector<int>{4, 4, 4}));
}

TEST_F(AutoSendTest, WithoutFocusTheFirstActiveRowFromTheTopIsSent) {
  Activate({99, 50});
  EXPECT_EQ(Steps(3), (std::vector<int>{50, 99, 50}));
}

TEST_F(AutoSendTest, AFocusOnTheHeaderRowStartsFromTheTop) {
  Activate({2});
  m_Table.SetFocusedRow(0);
  EXPECT_EQ(Steps(1), std::vector<int>{2});
}

TEST_F(AutoSendTest, WithoutActiveRowsEveryStepWarnsAndSendsNothing) {
  m_Table.SetItemText(5, MessageTable::kMessageColumn, "not active");
  EXPECT_FALSE(m_Session.AutoSendStep());
  EXPECT_FALSE(m_Session.AutoSendStep());
  EXPECT_EQ(CountLog('W', kNoActiveRow), 2);
  EXPECT_TRUE(m_SelectedRows.empty());
  EXPECT_TRUE(m_FrontEnd.playedSignals.empty());
}

TEST_F(AutoSendTest, NextActiveRowTestsEveryRowOnce) {
  EXPECT_EQ(m_Doc.NextActiveRow(MessageTable::kNoRow), -1);
  EXPECT_EQ(m_Doc.NextActiveRow(0), -1);
  EXPECT_EQ(m_Doc.NextActiveRow(50), -1);
  Activate({1, 99});
  EXPECT_EQ(m_Doc.NextActiveRow(MessageTable::kNoRow), 1);
  EXPECT_EQ(m_Doc.NextActiveRow(1), 99);
  EXPECT_EQ(m_Doc.NextActiveRow(99), 1);
  EXPECT_EQ(m_Doc.NextActiveRow(50), 99);
  m_Table.SetActive(99, 0);
  EXPECT_EQ(m_Doc.NextActiveRow(1), 1) << "the start row itself comes last";
}

TEST_F(AutoSendTest, AFailedSendKeepsTheCycleGoing) {
  Activate({6, 8});
  EXPECT_EQ(Steps(2), (std::vector<int>{6, 8}));
  EXPECT_EQ(m_FrontEnd.playedSignals, (std::vector<bool>{false, false}));
}

}  // namespace

}  // namespace linkwright
