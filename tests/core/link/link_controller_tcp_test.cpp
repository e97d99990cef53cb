#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "link_controller_fixture.h"
#include "scripted_peers.h"
#include "version.h"

namespace linkwright {

namespace {

const std::string kTitleSuffix = std::string(" - Linkwright ") + kLinkwrightVersion;
const std::string kOnlyOnePeer = "Only allow one message socket at a time";

std::string PeerText(uint16_t port) {
  return "--> 127.0.0.1:" + std::to_string(port);
}

class TcpServerTest : public LinkControllerTest {
 protected:
  void OpenServer() {
    m_Port = UnusedTcpPortNumber();
    OpenLink(kModeTcp, true, m_Port);
  }

  // Connects a peer and polls until the controller has taken it in.
  LoopbackSocket ConnectPeer() {
    LoopbackSocket peer = LoopbackSocket::TcpConnect(m_Port);
    EXPECT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerWithPeer; }));
    return peer;
  }

  uint16_t m_Port = 0;
};

TEST_F(TcpServerTest, ListensThenServesOnePeerBothWays) {
  OpenServer();
  EXPECT_TRUE(m_Link.IsOpen());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerListening);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP ");
  EXPECT_EQ(m_FrontEnd.title, "TCP " + kTitleSuffix);
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
  EXPECT_TRUE(m_FrontEnd.playedSignals.empty()) << "success is silent with the default settings";

  auto peer = ConnectPeer();
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP " + PeerText(peer.Port()));
  EXPECT_EQ(m_FrontEnd.title, "TCP " + PeerText(peer.Port()) + kTitleSuffix);

  ASSERT_TRUE(peer.Write(std::string("HELLO\r\0!", 8)));
  EXPECT_EQ(ReceiveBytes(8), std::string("HELLO\r\0!", 8));

  ASSERT_TRUE(
      m_Session.SendMessage("\x02"
                            "AB\x03\r"));
  EXPECT_EQ(peer.Read(5),
            "\x02"
            "AB\x03\r");
  EXPECT_EQ(m_FrontEnd.trace, "<-- [STX]AB[ETX][CR]\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");
  ASSERT_TRUE(m_Session.SendMessage(""));
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 2");
}

TEST_F(TcpServerTest, SendWithoutPeerFailsAndLeavesTraceAndCountAlone) {
  OpenServer();
  EXPECT_FALSE(m_Session.SendMessage("X"));
  EXPECT_EQ(m_Session.LastError().Message(), "no TCP peer connected");
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
}

TEST_F(TcpServerTest, RefusesASecondPeerAtOnceWithANoticeWhileTheFirstStays) {
  OpenServer();
  auto first = ConnectPeer();
  LoopbackSocket second = LoopbackSocket::TcpConnect(m_Port);
  EXPECT_TRUE(TickUntil([this] { return !m_FrontEnd.notices.empty(); }));
  EXPECT_EQ(m_FrontEnd.notices, std::vector<std::string>{kOnlyOnePeer});
  EXPECT_TRUE(second.SeesClose());

  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerWithPeer);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP " + PeerText(first.Port()));
  ASSERT_TRUE(m_Session.SendMessage("still you"));
  EXPECT_EQ(first.Read(9), "still you");
}

TEST_F(TcpServerTest, PeerCloseReturnsToListeningAndANewPeerIsTakenIn) {
  OpenServer();
  auto first = ConnectPeer();
  ASSERT_TRUE(first.Write("last words"));
  first.Close();
  EXPECT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerListening; }));
  EXPECT_EQ(m_FrontEnd.trace, "last words") << "data before the close is kept";
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP ");
  EXPECT_TRUE(m_Link.IsOpen());
  EXPECT_FALSE(m_Session.SendMessage("gone"));

  auto second = ConnectPeer();
  EXPECT_TRUE(m_FrontEnd.notices.empty());
  ASSERT_TRUE(m_Session.SendMessage("welcome"));
  EXPECT_EQ(second.Read(7), "welcome");
}

TEST_F(TcpServerTest, ClosedPortCanBeOpenedAgainAtOnce) {
  OpenServer();
  auto peer = ConnectPeer();
  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_FALSE(m_Link.IsOpen());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerClosed);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP ...");
  EXPECT_TRUE(peer.SeesClose());

  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  auto again = ConnectPeer();
  ASSERT_TRUE(again.Write("x"));
  EXPECT_EQ(ReceiveBytes(1), "x");
}

TEST_F(TcpServerTest, PortInUseFailsToOpenWithABindLine) {
  LoopbackSocket occupant = LoopbackSocket::TcpListener();
  UseLink(kModeTcp, true, occupant.Port());
  CapturedLog log;
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_TRUE(log.Has('E', "bind() ... Error 98 : Address already in use"));
  EXPECT_EQ(
      m_Session.LastError().Message(),
      "cannot listen on TCP port " + std::to_string(occupant.Port()) + ": Address already in use");
  EXPECT_FALSE(m_Link.IsOpen());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerClosed);
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false});
}

TEST_F(TcpServerTest, ReceiveTakesEverythingWaitingInFewCalls) {
  OpenServer();
  auto peer = ConnectPeer();
  const std::string stream(256 * 1024, 'z');
  std::thread writer([&peer, &stream] { peer.Write(stream); });
  int callsWithData = 0;
  m_Received.clear();
  WaitUntil([this, &callsWithData, &stream] {
    ByteString chunk = m_Link.Receive().bytes;
    callsWithData += !chunk.empty();
    m_Received += chunk;
    return m_Received.size() >= stream.size();
  });
  writer.join();
  EXPECT_EQ(m_Received.size(), stream.size());
  // Reading a fixed 1 KiB per poll would take 256 calls.
  EXPECT_LT(callsWithData, 64);
}

TEST_F(TcpServerTest, AMessageLargerThanTheSocketBuffersArrivesWhole) {
  OpenServer();
  auto peer = ConnectPeer();
  // The system takes part of it at once; the rest is sent as the peer reads.
  std::string message(8 << 20, 'm');
  message.back() = 'e';
  std::string received;
  std::thread reader([&peer, &received, &message] { received = peer.Read(message.size()); });
  EXPECT_TRUE(m_Session.SendMessage(message));
  reader.join();
  EXPECT_TRUE(received == message);
}

// Gathered messages leave in the order sent, also those that went out early because the
// gathering passed its size limit; each is reported for the trace and counted as if sent alone.
TEST_F(TcpServerTest, GatheredSendsArriveWholeAndInOrder) {
  OpenServer();
  auto peer = ConnectPeer();
  const int kCount = 1000;
  std::string expected;
  std::string read;
  std::thread reader([&peer, &read] { read = peer.Read(kCount * 100); });
  int sentLines = 0;
  m_Link.StartGathering();
  for (int i = 0; i < kCount; ++i) {
    std::string message = std::to_string(i);
    message.resize(99, '.');
    message += '\r';
    SentLines lines;
    ASSERT_TRUE(m_Link.Send(message, lines));
    sentLines += lines.message ? 1 : 0;
    expected += message;
  }
  EXPECT_TRUE(m_Link.EndGathering());
  reader.join();
  EXPECT_TRUE(read == expected);
  EXPECT_EQ(sentLines, kCount);
  EXPECT_EQ(m_Link.TxCount(), kCount);
}

TEST_F(TcpServerTest, OpenTwiceFailsWithTheFailureBeep) {
  OpenServer();
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false});
  EXPECT_TRUE(m_Link.IsOpen());
  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_FALSE(m_Session.CloseConnection()) << "closing a closed link";
}

TEST_F(LinkControllerTest, TcpClientConnectsExchangesAndClosesWhenTheServerLeaves) {
  LoopbackSocket server = LoopbackSocket::TcpListener();
  UseLink(kModeTcp, false, server.Port());
  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  auto peer = server.Accept();
  ASSERT_TRUE(peer.valid());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpClientOpen);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP " + PeerText(server.Port()));

  ASSERT_TRUE(m_Session.SendMessage("ping\r"));
  EXPECT_EQ(peer.Read(5), "ping\r");
  ASSERT_TRUE(peer.Write("pong\r"));
  EXPECT_EQ(ReceiveBytes(5), "pong\r");

  CapturedLog log;
  peer.Close();
  EXPECT_TRUE(TickUntil([this] { return m_Link.WasLost(); }));
  EXPECT_TRUE(
      log.Has('W', "CLinkController::Receive() link lost: the server closed the connection"));
  EXPECT_EQ(m_Link.LastError().Message(), "the server closed the connection");
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpClientClosed);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP ...");
  EXPECT_FALSE(m_Link.IsOpen());
  EXPECT_FALSE(m_Session.SendMessage("anyone?"));
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");
}

TEST_F(LinkControllerTest, TcpClientRefusedFailsWithAConnectLine) {
  uint16_t port = UnusedTcpPortNumber();
  UseLink(kModeTcp, false, port);
  CapturedLog log;
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_TRUE(log.Has('E', "connect() ... Error 111 : Connection refused"));
  EXPECT_EQ(m_Session.LastError().Message(),
            "cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused");
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpClientClosed);
  EXPECT_EQ(m_FrontEnd.linkPane, "TCP ...");
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false});
}

TEST_F(LinkControllerTest, TcpClientUnknownHostFailsWithAConnectLine) {
  UseLink(kModeTcp, false, 1024);
  Set(setting::kSocketHost, "no-such-host.invalid");
  CapturedLog log;
  EXPECT_FALSE(m_Session.OpenConnection());
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_EQ(log.Lines().back().level, 'E');
  EXPECT_EQ(log.Lines().back().text.rfind("connect() ... Error ", 0), 0u);
  EXPECT_EQ(
      m_Session.LastError().Message().rfind("cannot connect to no-such-host.invalid:1024: ", 0),
      0u);
}

// Closing with unread data makes the system reset the connection. A send into it fails and
// drops the connection, whether it went out alone or gathered with others; then the failure
// comes when the gathering ends.
TEST_F(LinkControllerTest, TcpSendIntoAConnectionThePeerResetDropsIt) {
  for (bool gathered : {false, true}) {
    SCOPED_TRACE(gathered ? "gathered" : "alone");
    LoopbackSocket server = LoopbackSocket::TcpListener();
    OpenLink(kModeTcp, false, server.Port());
    LoopbackSocket peer = server.Accept();
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(m_Session.SendMessage("first"));
    peer.Close();
    EXPECT_TRUE(WaitUntil([this, gathered] {
      if (!gathered) {
        return !m_Session.SendMessage("more");
      }
      m_Link.StartGathering();
      EXPECT_TRUE(m_Link.Send("more"));
      return !m_Link.EndGathering();
    }));
    const Error& error = gathered ? m_Link.LastError() : m_Session.LastError();
    EXPECT_EQ(error.Message().rfind("TCP send failed: ", 0), 0u) << error.Message();
    m_Session.UpdateStatus();
    EXPECT_EQ(m_FrontEnd.linkPane, "TCP ") << "the failed connection is dropped";
    EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpClientOpen);
    EXPECT_FALSE(m_Session.SendMessage("again"));
    EXPECT_EQ(m_Session.LastError().Message(), "no TCP peer connected");
    ASSERT_TRUE(m_Session.CloseConnection());
  }
}

}  // namespace

}  // namespace linkwright
