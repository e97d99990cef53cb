#include <string>
#include <thread>
#include <vector>

#include "support/default_configuration.h"
#include "support/linked_session_fixture.h"

namespace linkwright {

namespace {

using Signals = std::vector<bool>;

class SendRowTest : public LinkedSessionTest {};

TEST_F(SendRowTest, SendsTheDecodedMessageAndCountsIt) {
  OpenTcpClientLink();
  m_Table.SetItemText(7, MessageTable::kMessageColumn, "[CR]");
  m_Table.SetItemText(8, MessageTable::kMessageColumn, "AB[x00]C");
  EXPECT_TRUE(m_Session.SendRow(7));
  EXPECT_TRUE(m_Session.SendRow(8));
  EXPECT_EQ(m_Peer.Read(5), std::string("\rAB\0C", 5));
  EXPECT_EQ(m_FrontEnd.trace, "<-- [CR]\r\n<-- AB[NUL]C\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 2");
  EXPECT_TRUE(m_FrontEnd.playedSignals.empty()) << "success is silent by default";
}

// Messages are decoded once per edit of their row: each change of the table must count from the
// next send on.
TEST_F(SendRowTest, AnEditedMovedOrResetRowSendsItsNewMessage) {
  OpenTcpClientLink();
  m_Table.SetItemText(2, MessageTable::kMessageColumn, "A");
  EXPECT_TRUE(m_Session.SendRow(2));
  m_Table.SetItemText(2, MessageTable::kMessageColumn, "B[CR]");
  EXPECT_TRUE(m_Session.SendRow(2));
  m_Table.SetFocusedRow(1);
  m_Table.InsertRow();
  EXPECT_TRUE(m_Session.SendRow(3));
  EXPECT_FALSE(m_Session.SendRow(2)) << "the inserted row is empty";
  m_Table.ResetRows(99);
  EXPECT_FALSE(m_Session.SendRow(3)) << "the reset table is empty";
  EXPECT_EQ(m_Peer.Read(5), "AB\rB\r");
}

TEST_F(SendRowTest, RowsOutsideTheTableFailWithoutTouchingTheLink) {
  OpenTcpClientLink();
  for (int row : {-1, 0, 100, 1000}) {
    EXPECT_FALSE(m_Session.SendRow(row)) << row;
  }
  EXPECT_EQ(m_FrontEnd.playedSignals, (Signals{false, false, false, false}));
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
  EXPECT_FALSE(m_Session.SendRow(99)) << "row 99 exists but is empty";
}

TEST_F(SendRowTest, AnEmptyMessageOrAClosedLinkFails) {
  m_Table.SetItemText(3, MessageTable::kMessageColumn, "X");
  EXPECT_FALSE(m_Session.SendRow(3)) << "link closed";
  EXPECT_EQ(m_Session.LastError().Message(), "row 3: the link is not open");
  OpenTcpClientLink();
  EXPECT_FALSE(m_Session.SendRow(4)) << "empty message";
  EXPECT_EQ(m_Session.LastError().Message(), "row 4: no message");
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.playedSignals, (Signals{false, false}));
}

TEST_F(SendRowTest, TheBeepFollowsItsTwoSettings) {
  m_Table.SetItemText(1, MessageTable::kMessageColumn, "go");
  SetSetting(setting::kBeepOnFailure, "0");
  EXPECT_FALSE(m_Session.SendRow(1));
  OpenTcpClientLink();
  EXPECT_TRUE(m_Session.SendRow(1));
  SetSetting(setting::kBeepOnSuccess, "1");
  EXPECT_TRUE(m_Session.SendRow(1));
  EXPECT_EQ(m_FrontEnd.playedSignals, Signals{true});
}

TEST_F(SendRowTest, ALinkThatFailsToSendFailsTheRow) {
  OpenTcpClientLink();
  m_Table.SetItemText(2, MessageTable::kMessageColumn, "lost");
  m_Peer.Close();
  // The closed peer shows in the receive polling or in the send itself; from then on the
  // row fails with the failure beep.
  EXPECT_TRUE(TickUntil([this] { return !m_Session.SendRow(2); }));
  EXPECT_FALSE(m_FrontEnd.playedSignals.empty());
  EXPECT_FALSE(m_FrontEnd.playedSignals.back());
}

}  // namespace

namespace {

TEST_F(SendRowTest, SentRowsAndAutoReplyHitsReachTheStatisticsAnsweredByTheNextPacket) {
  OpenTcpClientLink();
  SetReplyRow(2, "PING[CR]", "PONG[CR]");
  m_Table.SetItemText(5, MessageTable::kMessageColumn, "HELLO");
  m_Table.SetItemText(6, MessageTable::kMessageColumn, "");
  ASSERT_TRUE(m_Session.SendRow(5));
  EXPECT_FALSE(m_Session.SendRow(6)) << "not sent, not counted";
  PeerSends("PING\r");
  ASSERT_TRUE(TickUntil([this] { return m_Doc.Statistics().Hits(2) == 1; }));
  EXPECT_EQ(m_Peer.Read(10), "HELLOPONG\r");
  PeerSends("PING\r");
  ASSERT_TRUE(TickUntil([this] { return m_Doc.Statistics().RowFigures(2).answered == 1; }));

  const ResponseStatistics& statistics = m_Doc.Statistics();
  EXPECT_EQ(statistics.Rows(), (std::vector<int>{2, 5}));
  EXPECT_EQ(statistics.RowFigures(5).sent, 1);
  EXPECT_EQ(statistics.RowFigures(5).answered, 1);
  EXPECT_EQ(statistics.Hits(5), 0);
  EXPECT_EQ(statistics.Hits(2), 2);
  EXPECT_EQ(statistics.RowFigures(2).sent, 2);
}

// A UDP client's reply comes back within the send and answers the row there.
TEST_F(SendRowTest, AUdpClientReplyAnswersTheRowInTheStatistics) {
  LoopbackSocket device = LoopbackSocket::Udp();
  SetSetting(setting::kMode, "2");
  SetSetting(setting::kActAsServer, "0");
  SetSetting(setting::kSocketPort, std::to_string(device.Port()));
  m_Table.SetItemText(4, MessageTable::kMessageColumn, "ASK[CR]");
  std::thread answer([&device] {
    uint16_t sender = 0;
    if (device.ReceiveDatagram(LoopbackSocket::kPatience, &sender)) {
      device.SendTo(sender, "YES\r");
    }
  });
  EXPECT_TRUE(m_Session.SendRow(4)) << m_Session.LastError().Message();
  answer.join();
  EXPECT_EQ(m_FrontEnd.trace, "<-- ASK[CR]\r\nYES\r\n");
  EXPECT_EQ(m_Doc.Statistics().RowFigures(4).answered, 1);
}

}  // namespace

}  // namespace linkwright
