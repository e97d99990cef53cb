#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_controller_fixture.h"
#include "scripted_peers.h"
#include "support/default_configuration.h"

namespace linkwright {

namespace {

TEST_F(LinkControllerTest, UdpClientSendsEachMessageAsACommandAndTracesTheReply) {
  UdpScriptedPeer peer({{{"OK\r"}},
                        {{"[junk]\x02"
                          "DATA\x03"}}});
  UseLink(kModeUdp, false, peer.Port());
  ASSERT_TRUE(m_Session.SendMessage("PING\r")) << m_Session.LastError().Message();
  EXPECT_EQ(m_FrontEnd.trace, "<-- PING[CR]\r\nOK\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");

  Set(setting::kPacketOpener, "[STX]");
  Set(setting::kPacketCloser, "[ETX]");
  ASSERT_TRUE(m_Session.SendMessage("GET")) << m_Session.LastError().Message();
  EXPECT_EQ(m_FrontEnd.trace, "<-- PING[CR]\r\nOK\r\n<-- GET\r\nDATA\r\n")
      << "opener and closer read at the send";
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 2");
  EXPECT_EQ(peer.Received(), (std::vector<std::string>{"PING\r", "GET"}));
}

TEST_F(LinkControllerTest, UdpClientWithoutReplyFailsAfterTheResponseTimeButShowsWhatWentOut) {
  UdpScriptedPeer peer({});
  UseLink(kModeUdp, false, peer.Port());
  Set(setting::kResponseTimeout, "50");
  EXPECT_FALSE(m_Session.SendMessage("X"));
  EXPECT_EQ(m_Session.LastError().Message(),
            "no reply from 127.0.0.1:" + std::to_string(peer.Port()) + " within 50 ms");
  EXPECT_EQ(m_FrontEnd.trace, "<-- X\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "");
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"X"});
}

TEST_F(LinkControllerTest, UdpClientStopsWaitingForTheReplyWhenTheMonitorSaysSo) {
  UdpScriptedPeer peer({});
  UseLink(kModeUdp, false, peer.Port());
  Set(setting::kResponseTimeout, "5000");
  int asked = 0;
  m_Link.SetTransferMonitor({nullptr, [&asked] { return ++asked > 1; }});
  EXPECT_FALSE(m_Session.SendMessage("X"));
  EXPECT_EQ(m_Session.LastError().Message(),
            "stopped while waiting for a reply from 127.0.0.1:" + std::to_string(peer.Port()));
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"X"});
}

TEST_F(LinkControllerTest, UdpClientDestinationIsReadAtEverySend) {
  UdpScriptedPeer first({{{"1\r"}}});
  UdpScriptedPeer second({{{"2\r"}}});
  UseLink(kModeUdp, false, first.Port());
  ASSERT_TRUE(m_Session.SendMessage("a"));
  Set(setting::kSocketPort, std::to_string(second.Port()));
  m_Session.UpdateStatus();
  EXPECT_EQ(m_FrontEnd.linkPane, "UDP --> 127.0.0.1:" + std::to_string(second.Port()));
  ASSERT_TRUE(m_Session.SendMessage("b"));
  EXPECT_EQ(first.Received(), std::vector<std::string>{"a"});
  EXPECT_EQ(second.Received(), std::vector<std::string>{"b"});
  EXPECT_EQ(m_FrontEnd.trace, "<-- a\r\n1\r\n<-- b\r\n2\r\n");
}

}  // namespace

}  // namespace linkwright
