#include <string>
#include <vector>

#include "session/receive_cycle.h"
#include "support/default_configuration.h"
#include "support/linked_session_fixture.h"

namespace linkwright {

namespace {

using Packets = std::vector<std::string>;

// The receive cycle over a scripted transport on a manual clock: each DeliverChunk is one
// arrival taken by one tick.
class ReceiveCycleTest : public LinkedSessionTest {
 protected:
  void SetUp() override { OpenScriptedLink(); }

  const ByteString& RxPacket() const { return m_Doc.Receiving().RxPacket(); }
};

TEST_F(ReceiveCycleTest, OnePacketInOneChunkEndsItsTraceLine) {
  DeliverChunk("ABC\r", "ABC[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"ABC[CR]"});
  EXPECT_EQ(RxPacket(), "");
  EXPECT_EQ(CountLog(' ', "Match found; TargetText=\"ABC\""), 1);
}

TEST_F(ReceiveCycleTest, BytesAfterACloserStartTheNextPacket) {
  DeliverChunk("ABC\rDEF", "ABC[CR]\r\nDEF");
  EXPECT_EQ(RxPacket(), "DEF");
  DeliverChunk("\r", "[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"ABC[CR]", "DEF[CR]"}));
}

TEST_F(ReceiveCycleTest, EveryPacketOfAChunkIsOfferedInOrderAndTracedInOneAppend) {
  const size_t appendsBefore = m_FrontEnd.appends.size();
  DeliverChunk("ONE\rTWO\rTHREE\rfour", "ONE[CR]\r\nTWO[CR]\r\nTHREE[CR]\r\nfour");
  EXPECT_EQ(OfferedPackets(), (Packets{"ONE[CR]", "TWO[CR]", "THREE[CR]"}));
  EXPECT_EQ(m_FrontEnd.appends.size(), appendsBefore + 1);
  EXPECT_EQ(RxPacket(), "four");
}

// Within one tick the replies to each chunk's packets leave in one write; a write that fails
// gives the warning and the failure beep, while the replies are traced as sent.
TEST_F(ReceiveCycleTest, TheRepliesToOneChunkLeaveTogetherAndAFailedWriteBeeps) {
  SetReplyRow(1, "A[CR]", "a");
  SetReplyRow(2, "B[CR]", "b");
  m_Script->Add("A\rB\r");
  m_Script->Add("B\r");
  Tick();
  EXPECT_EQ(m_Script->sent, (std::vector<ByteString>{"ab", "b"}));
  EXPECT_TRUE(m_FrontEnd.playedSignals.empty());

  m_Script->refuseGathered = true;
  DeliverChunk("A\r", "A[CR]\r\n<-- a\r\n");
  EXPECT_EQ(m_Script->sent.size(), 2u);
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false});
  EXPECT_EQ(CountLog('W',
                     "CLinkController::Send() gathered messages not sent: the scripted peer "
                     "refused the gathered messages"),
            1);
}

TEST_F(ReceiveCycleTest, APacketOverSeveralChunksIsCutWhenItsCloserArrives) {
  DeliverChunk("AB", "AB");
  EXPECT_EQ(CountLog(' ', "Match not found"), 1);
  DeliverChunk("C\r", "C[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"ABC[CR]"});
}

TEST_F(ReceiveCycleTest, ACloserSplitOverTwoChunksIsFound) {
  SetSetting(setting::kPacketCloser, "[CR][LF]");
  DeliverChunk("AB\r", "AB[CR]");
  EXPECT_TRUE(OfferedPackets().empty());
  DeliverChunk("\nCD\r\n", "[LF]\r\nCD[CR][LF]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR][LF]", "CD[CR][LF]"}));
}

TEST_F(ReceiveCycleTest, BytesBeforeTheOpenerAreTracedButNotOffered) {
  SetSetting(setting::kPacketOpener, "[STX]");
  SetSetting(setting::kPacketCloser, "[ETX]");
  DeliverChunk(
      "xx\x02"
      "AB\x03",
      "xx[STX]AB[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"[STX]AB[ETX]"});
  EXPECT_EQ(RxPacket(), "");
}

TEST_F(ReceiveCycleTest, AnOpenerAfterAPacketStartsTheNextOneAndLeadingBytesGoWithIt) {
  SetSetting(setting::kPacketOpener, "[STX]");
  SetSetting(setting::kPacketCloser, "[ETX]");
  DeliverChunk(
      "\x02"
      "A\x03zz\x02"
      "B",
      "[STX]A[ETX]\r\nzz[STX]B");
  EXPECT_EQ(RxPacket(),
            "zz\x02"
            "B");
  DeliverChunk("\x03", "[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"[STX]A[ETX]", "[STX]B[ETX]"}));
  EXPECT_EQ(RxPacket(), "");
}

TEST_F(ReceiveCycleTest, ACloserBeforeAnyOpenerDoesNotCut) {
  SetSetting(setting::kPacketOpener, "[STX]");
  SetSetting(setting::kPacketCloser, "[ETX]");
  DeliverChunk(
      "a\x03"
      "b",
      "a[ETX]b");
  EXPECT_TRUE(OfferedPackets().empty());
  DeliverChunk(
      "\x02"
      "c\x03",
      "[STX]c[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"[STX]c[ETX]"});
}

TEST_F(ReceiveCycleTest, WithoutCloserAndTimeoutNothingIsEverCut) {
  SetSetting(setting::kPacketCloser, "");
  DeliverChunk("AB\r", "AB[CR]");
  DeliverChunk("CD\r", "CD[CR]");
  EXPECT_TRUE(OfferedPackets().empty());
  EXPECT_EQ(RxPacket(), "AB\rCD\r");
  EXPECT_EQ(CountLog(' ', "Match not found"), 0);
}

TEST_F(ReceiveCycleTest, SilenceLongerThanTheBreakTimeoutCutsWhatWasCollected) {
  SetSetting(setting::kPacketCloser, "");
  SetSetting(setting::kPacketBreakTimeout, "300");
  DeliverChunk("AB", "AB");
  DeliverChunk("CD", "CD");
  Pass(std::chrono::milliseconds(300));
  Tick();
  EXPECT_TRUE(OfferedPackets().empty()) << "300 ms of silence is not more than the time-out";
  Pass(std::chrono::milliseconds(1));
  Tick();
  EXPECT_EQ(OfferedPackets(), Packets{"ABCD"});
  EXPECT_EQ(m_FrontEnd.trace, "ABCD\r\n");
  EXPECT_EQ(RxPacket(), "");
}

TEST_F(ReceiveCycleTest, BreakTimeoutCutsTheRestBehindALastCloser) {
  SetSetting(setting::kPacketBreakTimeout, "300");
  DeliverChunk("AB\rCD", "AB[CR]\r\nCD");
  Pass(std::chrono::milliseconds(301));
  Tick();
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR]", "CD"}));
  EXPECT_EQ(m_FrontEnd.trace, "AB[CR]\r\nCD\r\n");
}

TEST_F(ReceiveCycleTest, BreakTimeoutOnAnEmptyBufferWritesNothing) {
  SetSetting(setting::kPacketBreakTimeout, "1");
  DeliverChunk("AB\r", "AB[CR]\r\n");
  const auto stamped = m_Doc.Receiving().LastRxTime();
  Pass(std::chrono::milliseconds(2));
  Tick();
  EXPECT_GT(m_Doc.Receiving().LastRxTime(), stamped);
  EXPECT_EQ(m_FrontEnd.trace, "AB[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"AB[CR]"});
}

TEST_F(ReceiveCycleTest, WholeMessagesAreOnePacketEachWithItsOwnLine) {
  DeliverChunk("AB", "AB");
  m_Script->Add("AB\rC", std::nullopt, true);
  Tick();
  m_Script->Add("D", std::nullopt, true);
  Tick();
  EXPECT_EQ(m_FrontEnd.trace, "ABAB[CR]C\r\nD\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR]C", "D"}));
  EXPECT_EQ(RxPacket(), "");
}

TEST_F(ReceiveCycleTest, AChangedCloserFindsAPacketAlreadyInTheBuffer) {
  DeliverChunk("A;B", "A;B");
  SetSetting(setting::kPacketCloser, ";");
  // The closer of "A;" came in an earlier tick, so no line end is written for it.
  DeliverChunk("C", "C");
  EXPECT_EQ(OfferedPackets(), Packets{"A;"});
  EXPECT_EQ(RxPacket(), "BC");
}

TEST_F(ReceiveCycleTest, ReopeningTheLinkStartsTheSearchAfresh) {
  SetSetting(setting::kPacketOpener, "[STX]");
  SetSetting(setting::kPacketCloser, "[ETX]");
  DeliverChunk(
      "\x02"
      "AAAA",
      "[STX]AAAA");
  ASSERT_TRUE(m_Link.Close());
  OpenScriptedLink();
  // The dropped packet's line ends before the new link's bytes.
  DeliverChunk(
      "zz\x02"
      "B\x03",
      "\r\nzz[STX]B[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"[STX]B[ETX]"});
}

TEST_F(ReceiveCycleTest, TheBufferKeepsTheNewestMebibyteWithAWarning) {
  SetSetting(setting::kPacketCloser, "");
  const size_t firstPart = 700 * 1024;
  PeerSends(std::string(firstPart, 'a'));
  PeerSends(std::string(firstPart, 'b'));
  Tick();
  Tick();
  EXPECT_TRUE(m_FrontEnd.trace == std::string(firstPart, 'a') + std::string(firstPart, 'b'));
  ASSERT_EQ(RxPacket().size(), ReceiveCycle::kMaxRxPacket);
  EXPECT_TRUE(RxPacket() == std::string(ReceiveCycle::kMaxRxPacket - firstPart, 'a') +
                                std::string(firstPart, 'b'));
  int warnings = 0;
  for (const LogLine& line : m_Log) {
    warnings += line.level == 'W' && line.text.find("oldest bytes dropped") != std::string::npos;
  }
  EXPECT_GE(warnings, 1);
}

TEST_F(ReceiveCycleTest, AStreamOfPacketsIsCutCompletelyWhateverTheChunks) {
  std::string stream;
  Packets expected;
  for (int i = 0; i < 2000; ++i) {
    const std::string body = "P" + std::to_string(i);
    stream += body + "\r";
    expected.push_back(body + "[CR]");
  }
  // Written in pieces that split packets and closers anywhere.
  for (size_t at = 0; at < stream.size(); at += 997) {
    PeerSends(stream.substr(at, 997));
  }
  while (!m_Script->arrivals.empty()) {
    Tick();
  }
  EXPECT_EQ(OfferedPackets(), expected);
  EXPECT_EQ(RxPacket(), "");
}

TEST_F(ReceiveCycleTest, AfterCloseTheBreakTimeoutStillCutsWhatWasLeft) {
  SetSetting(setting::kPacketBreakTimeout, "1");
  DeliverChunk("left", "left");
  ASSERT_TRUE(m_Link.Close());
  Pass(std::chrono::milliseconds(2));
  Tick();
  EXPECT_EQ(OfferedPackets(), Packets{"left"});
  EXPECT_EQ(m_FrontEnd.trace, "left\r\n");
}

TEST_F(ReceiveCycleTest, ANewPeerStartsWithAnEmptyBufferAndTheDropIsLogged) {
  DeliverChunk("HALF-A-", "HALF-A-");
  // The first peer's last bytes and the next peer's first bytes come in one poll.
  m_Script->Add("REQUESTPI", 7);
  Tick();
  DeliverChunk("NG\r", "NG[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"PING[CR]"});
  EXPECT_EQ(CountLog('W',
                     "CLinkwrightDoc::ReceiveTick() new peer, 14 bytes of the previous one "
                     "dropped"),
            1);
  EXPECT_EQ(m_FrontEnd.trace, "HALF-A-REQUEST\r\nPING[CR]\r\n");
}

// A test name for a kind of link: "tcp-server" gives "tcpserver".
std::string KindName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = info.param;
  std::erase(name, '-');
  return name;
}

// The three kinds of link that take requests: each answers a packet through AutoReply.
class ReceiveCycleLinkTest : public LinkedSessionTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(ReceiveCycleLinkTest, APacketIsAnsweredByTheMatchingRow) {
  const std::string kind = GetParam();
  if (kind == "tcp-client") {
    OpenTcpClientLink();
  } else if (kind == "tcp-server") {
    OpenTcpServerLink();
  } else {
    OpenUdpServerLink();
  }
  SetReplyRow(5, "PING[CR]", "PONG[CR]");
  PeerSends("PING\r");
  ASSERT_TRUE(TickUntil([this] { return !OfferedPackets().empty(); }));
  if (kind == "udp-server") {
    EXPECT_EQ(m_Peer.ReceiveDatagram(), "PONG\r");
  } else {
    EXPECT_EQ(m_Peer.Read(5), "PONG\r");
  }
  EXPECT_EQ(m_FrontEnd.trace, "PING[CR]\r\n<-- PONG[CR]\r\n");
  EXPECT_EQ(m_Table.SelectedRow(), 5);
}

// The two servers: a packet begun by one peer does not go on with the next peer's bytes.
class NewPeerTest : public LinkedSessionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NewPeerTest, ANewPeerStartsAnEmptyPacket) {
  const std::string kind = GetParam();
  kind == "tcp-server" ? OpenTcpServerLink() : OpenUdpServerLink();
  SetReplyRow(5, "PING[CR]", "PONG[CR]");
  DeliverChunk("HALF-A-REQUEST", "HALF-A-REQUEST");
  if (kind == "tcp-server") {
    m_Peer.Close();
    m_Peer = LoopbackSocket::TcpConnect(m_LinkTcpPort);
    const std::string newPeer = "TCP --> 127.0.0.1:" + std::to_string(m_Peer.Port());
    ASSERT_TRUE(TickUntil([&] { return m_FrontEnd.linkPane == newPeer; }));
  } else {
    m_Peer = LoopbackSocket::Udp();
  }
  PeerSends("PING\r");
  ASSERT_TRUE(TickUntil([this] { return !OfferedPackets().empty(); }));
  EXPECT_EQ(OfferedPackets(), Packets{"PING[CR]"});
  EXPECT_EQ(CountLog('W',
                     "CLinkwrightDoc::ReceiveTick() new peer, 14 bytes of the previous one "
                     "dropped"),
            1);
  EXPECT_EQ(m_FrontEnd.trace, "HALF-A-REQUEST\r\nPING[CR]\r\n<-- PONG[CR]\r\n");
}

TEST_F(LinkedSessionTest, TheRepliesToTwoUdpSendersOfOnePollGoEachToItsSender) {
  OpenUdpServerLink();
  SetReplyRow(5, "PING[CR]", "PONG[CR]");
  SetReplyRow(6, "GET 5[CR]", "VALUE 42[CR]");
  LoopbackSocket second = LoopbackSocket::Udp();
  // Both datagrams wait before the first tick takes any.
  PeerSends("PING\r");
  ASSERT_TRUE(second.SendTo(m_LinkUdpPort, "GET 5\r"));
  ASSERT_TRUE(TickUntil([this] { return OfferedPackets().size() == 2; }));
  EXPECT_EQ(m_Peer.ReceiveDatagram(), "PONG\r");
  EXPECT_EQ(second.ReceiveDatagram(), "VALUE 42\r");
  EXPECT_EQ(m_FrontEnd.trace, "PING[CR]\r\n<-- PONG[CR]\r\nGET 5[CR]\r\n<-- VALUE 42[CR]\r\n");
}

INSTANTIATE_TEST_SUITE_P(Links, ReceiveCycleLinkTest,
                         ::testing::Values("tcp-client", "tcp-server", "udp-server"), KindName);

INSTANTIATE_TEST_SUITE_P(Servers, NewPeerTest, ::testing::Values("tcp-server", "udp-server"),
                         KindName);

}  // namespace

}  // namespace linkwright
