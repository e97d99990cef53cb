#include <gtest/gtest.h>

#include <string>

#include "link_controller_fixture.h"
#include "scripted_peers.h"

namespace linkwright {

namespace {

class UdpServerTest : public LinkControllerTest {
 protected:
  void OpenServer() {
    m_Port = UnusedUdpPortNumber();
    OpenLink(kModeUdp, true, m_Port);
  }

  uint16_t m_Port = 0;
};

TEST_F(UdpServerTest, SendBeforeAnyDatagramFailsWithASendtoLine) {
  OpenServer();
  EXPECT_EQ(m_FrontEnd.state, LinkState::kUdpServerOpen);
  EXPECT_EQ(m_FrontEnd.linkPane, "UDP <-- 0.0.0.0");
  CapturedLog log;
  EXPECT_FALSE(m_Session.SendMessage("X"));
  EXPECT_TRUE(log.Has('E', "sendto() failed ... Error 89 : Destination address required"));
  EXPECT_EQ(m_Session.LastError().Message(), "no UDP peer yet: Destination address required");
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
}

TEST_F(UdpServerTest, EmptyMessageSendsNothingAndCounts) {
  OpenServer();
  EXPECT_TRUE(m_Session.SendMessage(""));
  EXPECT_EQ(m_FrontEnd.trace, "<-- \r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");
}

TEST_F(UdpServerTest, TakesEveryWaitingDatagramAndAnswersTheLastSender) {
  OpenServer();
  LoopbackSocket first = LoopbackSocket::Udp();
  LoopbackSocket second = LoopbackSocket::Udp();
  ASSERT_TRUE(first.SendTo(m_Port, "one"));
  ASSERT_TRUE(second.SendTo(m_Port, std::string("tw\0o", 4)));
  EXPECT_EQ(ReceiveBytes(7), std::string("onetw\0o", 7));
  m_Session.UpdateStatus();
  EXPECT_EQ(m_FrontEnd.linkPane, "UDP <-- 127.0.0.1");

  ASSERT_TRUE(m_Session.SendMessage("answer"));
  EXPECT_EQ(second.ReceiveDatagram(), "answer");
  EXPECT_EQ(first.ReceiveDatagram(std::chrono::milliseconds(100)), std::nullopt);
  EXPECT_EQ(m_FrontEnd.trace, "<-- answer\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");

  ASSERT_TRUE(first.SendTo(m_Port, "again"));
  EXPECT_EQ(ReceiveBytes(5), "again");
  ASSERT_TRUE(m_Session.SendMessage("to first"));
  EXPECT_EQ(first.ReceiveDatagram(), "to first");
}

TEST_F(UdpServerTest, KeepsABurstOfDatagramsThatArrivesBetweenTwoPolls) {
  OpenServer();
  LoopbackSocket peer = LoopbackSocket::Udp();
  const int kCount = 400;
  const std::string datagram(1000, 'd');
  for (int i = 0; i < kCount; ++i) {
    ASSERT_TRUE(peer.SendTo(m_Port, datagram));
  }
  EXPECT_EQ(ReceiveBytes(kCount * datagram.size()).size(), kCount * datagram.size());
}

TEST_F(UdpServerTest, LargeDatagramArrivesWhole) {
  OpenServer();
  LoopbackSocket peer = LoopbackSocket::Udp();
  const std::string datagram(60000, 'L');
  ASSERT_TRUE(peer.SendTo(m_Port, datagram));
  EXPECT_EQ(ReceiveBytes(datagram.size()), datagram);
}

TEST_F(UdpServerTest, CloseForgetsThePeerAndThePortOpensAgainAtOnce) {
  OpenServer();
  LoopbackSocket peer = LoopbackSocket::Udp();
  ASSERT_TRUE(peer.SendTo(m_Port, "hi"));
  ReceiveBytes(2);
  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kUdpServerClosed);
  EXPECT_EQ(m_FrontEnd.linkPane, "UDP ...");
  EXPECT_EQ(m_Link.Receive().bytes, "");

  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  EXPECT_EQ(m_FrontEnd.linkPane, "UDP <-- 0.0.0.0");
  EXPECT_FALSE(m_Session.SendMessage("who?"));
}

TEST_F(UdpServerTest, PortInUseFailsWithABindLine) {
  LoopbackSocket occupant = LoopbackSocket::Udp();
  UseLink(kModeUdp, true, occupant.Port());
  CapturedLog log;
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_TRUE(log.Has('E', "bind() ... Error 98 : Address already in use"));
  EXPECT_EQ(m_FrontEnd.state, LinkState::kUdpServerClosed);
  EXPECT_FALSE(m_Link.IsOpen());
}

}  // namespace

}  // namespace linkwright
