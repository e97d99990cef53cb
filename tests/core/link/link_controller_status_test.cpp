#include <gtest/gtest.h>

#include <string>

#include "link_controller_fixture.h"
#include "scripted_peers.h"
#include "support/default_configuration.h"
#include "version.h"

namespace linkwright {

namespace {

struct ClosedStatusCase {
  const char* name;
  int mode;
  bool server;
  const char* commConfig;
  bool isOpen;
  std::string text;
  LinkState state;
};

class ClosedStatusTest : public LinkControllerTest,
                         public ::testing::WithParamInterface<ClosedStatusCase> {};

TEST_P(ClosedStatusTest, ShowsTheConfiguredLinkBeforeOpen) {
  const ClosedStatusCase& c = GetParam();
  UseLink(c.mode, c.server, 1024);
  Set(setting::kCommConfig, c.commConfig);
  m_Session.UpdateStatus();
  EXPECT_EQ(m_FrontEnd.linkPane, c.text);
  EXPECT_EQ(m_FrontEnd.title, c.text + " - Linkwright " + kLinkwrightVersion);
  EXPECT_EQ(m_FrontEnd.state, c.state);
  EXPECT_EQ(m_Link.IsOpen(), c.isOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ClosedStatusTest,
    ::testing::Values(
        ClosedStatusCase{"TcpServer", kModeTcp, true, "", false, "TCP ...",
                         LinkState::kTcpServerClosed},
        ClosedStatusCase{"TcpClient", kModeTcp, false, "", false, "TCP ...",
                         LinkState::kTcpClientClosed},
        ClosedStatusCase{"UdpServer", kModeUdp, true, "", false, "UDP ...",
                         LinkState::kUdpServerClosed},
        ClosedStatusCase{"UdpClientIsAlwaysReady", kModeUdp, false, "", true,
                         "UDP --> 127.0.0.1:1024", LinkState::kUdpClient},
        ClosedStatusCase{"Http", kModeHttp, false, "", false, "", LinkState::kHttpClosed},
        ClosedStatusCase{"Comm", kModeComm, false, "COM3:19200,E,7,1", false, "COM3:19200,E,7,1",
                         LinkState::kSerialClosed},
        ClosedStatusCase{"CommMalformedShowsTheSetting", kModeComm, false, "junk", false, "junk",
                         LinkState::kSerialClosed},
        ClosedStatusCase{"XmodemDevicePath", kModeXmodem, false, "/dev/ttyUSB0:115200,N,8,1", false,
                         "/dev/ttyUSB0:115200,N,8,1", LinkState::kSerialClosed},
        ClosedStatusCase{"UnknownMode", 7, false, "", false, "", LinkState::kNoLink}),
    [](const ::testing::TestParamInfo<ClosedStatusCase>& info) { return info.param.name; });

TEST_F(LinkControllerTest, UnknownModeOpensNothingSendsNothing) {
  Set(setting::kMode, "7");
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_EQ(m_Session.LastError().Message(), "no link for mode 7");
  EXPECT_FALSE(m_Session.SendMessage("x"));
  EXPECT_EQ(m_Session.LastError().Message(), "the link is not open");
  EXPECT_FALSE(m_Session.CloseConnection());
}

TEST_F(LinkControllerTest, HttpOpensWithoutTouchingTheNetwork) {
  Set(setting::kMode, "3");
  ASSERT_TRUE(m_Session.OpenConnection());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kHttpOpen);
  EXPECT_EQ(m_FrontEnd.linkPane, "");
  EXPECT_EQ(m_Link.Receive().bytes, "");
  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kHttpClosed);
}

TEST_F(LinkControllerTest, UdpClientNeedsNoOpeningAndOpenSaysSo) {
  UseLink(kModeUdp, false, 1024);
  EXPECT_TRUE(m_Link.IsOpen());
  EXPECT_FALSE(m_Link.Open());
  EXPECT_TRUE(m_Session.OpenConnection()) << "the session takes the ready link as opened";
  EXPECT_TRUE(m_FrontEnd.playedSignals.empty());
  EXPECT_TRUE(m_Link.IsOpen());
  EXPECT_FALSE(m_Session.CloseConnection());
  EXPECT_EQ(m_Link.Receive().bytes, "");
}

TEST_F(LinkControllerTest, OpenResetsTheCountAndItsFirstPollStartsANewPeer) {
  Set(setting::kMode, "3");
  ASSERT_TRUE(m_Session.OpenConnection());
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
  EXPECT_EQ(m_Link.Receive().newPeerAt, 0u);
  EXPECT_FALSE(m_Link.Receive().newPeerAt.has_value());
}

TEST_F(LinkControllerTest, ClearTextOnSendClearsBeforeEverySendOpenOrNot) {
  SetSetting(setting::kClearTextOnSend, "1");
  UseLink(kModeTcp, true, UnusedTcpPortNumber());
  m_FrontEnd.AppendTrace({{TraceDirection::kReceived, "old text", false}});
  EXPECT_FALSE(m_Session.SendMessage("x"));
  EXPECT_EQ(m_FrontEnd.clears, 1);
  EXPECT_EQ(m_FrontEnd.trace, "");

  UseLink(kModeUdp, true, UnusedUdpPortNumber());
  ASSERT_TRUE(m_Session.OpenConnection());
  ASSERT_TRUE(m_Session.SendMessage(""));
  ASSERT_TRUE(m_Session.SendMessage(""));
  EXPECT_EQ(m_FrontEnd.clears, 3);
  EXPECT_EQ(m_FrontEnd.trace, "<-- \r\n") << "only the last send's line remains";
}

TEST_F(LinkControllerTest, WithoutClearTextOnSendTheTraceGrows) {
  UseLink(kModeUdp, true, UnusedUdpPortNumber());
  ASSERT_TRUE(m_Session.OpenConnection());
  ASSERT_TRUE(m_Session.SendMessage(""));
  ASSERT_TRUE(m_Session.SendMessage(""));
  EXPECT_EQ(m_FrontEnd.clears, 0);
  EXPECT_EQ(m_FrontEnd.trace, "<-- \r\n<-- \r\n");
}

TEST_F(LinkControllerTest, ModeChangeWhileOpenStillClosesTheOpenedTransport) {
  uint16_t port = UnusedTcpPortNumber();
  UseLink(kModeTcp, true, port);
  ASSERT_TRUE(m_Session.OpenConnection());
  LoopbackSocket peer = LoopbackSocket::TcpConnect(port);
  EXPECT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerWithPeer; }));

  Set(setting::kMode, "3");
  m_Session.UpdateStatus();
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerWithPeer) << "the open link is what is shown";
  ASSERT_TRUE(m_Session.SendMessage("still tcp"));
  EXPECT_EQ(peer.Read(9), "still tcp");
  ASSERT_TRUE(peer.Write("back"));
  EXPECT_EQ(ReceiveBytes(4), "back");

  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_TRUE(peer.SeesClose());
  EXPECT_FALSE(m_Link.IsOpen());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kHttpClosed) << "closed, the new mode is shown";

  Set(setting::kMode, "1");
  ASSERT_TRUE(m_Session.OpenConnection())
      << "the port was released: " << m_Session.LastError().Message();
}

TEST_F(LinkControllerTest, CloseMessageSocketDropsOnlyThePeer) {
  uint16_t port = UnusedTcpPortNumber();
  UseLink(kModeTcp, true, port);
  EXPECT_FALSE(m_Session.CloseMessageSocket());
  ASSERT_TRUE(m_Session.OpenConnection());
  LoopbackSocket peer = LoopbackSocket::TcpConnect(port);
  EXPECT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerWithPeer; }));
  EXPECT_TRUE(m_Session.CloseMessageSocket());
  EXPECT_TRUE(peer.SeesClose());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpServerListening);
  EXPECT_FALSE(m_Session.CloseMessageSocket());

  LoopbackSocket next = LoopbackSocket::TcpConnect(port);
  EXPECT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerWithPeer; }));
}

}  // namespace

}  // namespace linkwright
