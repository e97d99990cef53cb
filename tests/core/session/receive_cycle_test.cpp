#include <string>
#include <thread>
#include <vector>

#include "session/receive_cycle.h"
#include "support/default_configuration.h"
#include "support/link_doc_fixture.h"

namespace {

using Packets = std::vector<std::string>;

class ReceiveCycleTest : public LinkDocTest {
 protected:
  void SetUp() override { OpenTcpClientLink(); }
};

TEST_F(ReceiveCycleTest, OnePacketInOneChunkEndsItsTraceLine) {
  DeliverChunk("ABC\r", "ABC[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"ABC[CR]"});
  EXPECT_EQ(m_Link.m_RxPacket, "");
  EXPECT_EQ(CountLog(' ', "Match found; TargetText=\"ABC\""), 1);
}

TEST_F(ReceiveCycleTest, BytesAfterACloserStartTheNextPacket) {
  DeliverChunk("ABC\rDEF", "ABC[CR]\r\nDEF");
  EXPECT_EQ(m_Link.m_RxPacket, "DEF");
  DeliverChunk("\r", "[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"ABC[CR]", "DEF[CR]"}));
}

TEST_F(ReceiveCycleTest, EveryPacketOfAChunkIsOfferedInOrderAndTracedInOneAppend) {
  const size_t appendsBefore = m_FrontEnd.appends.size();
  DeliverChunk("ONE\rTWO\rTHREE\rfour", "ONE[CR]\r\nTWO[CR]\r\nTHREE[CR]\r\nfour");
  EXPECT_EQ(OfferedPackets(), (Packets{"ONE[CR]", "TWO[CR]", "THREE[CR]"}));
  EXPECT_EQ(m_FrontEnd.appends.size(), appendsBefore + 1);
  EXPECT_EQ(m_Link.m_RxPacket, "four");
}

TEST_F(ReceiveCycleTest, APacketOverSeveralChunksIsCutWhenItsCloserArrives) {
  DeliverChunk("AB", "AB");
  EXPECT_EQ(CountLog(' ', "Match not found"), 1);
  DeliverChunk("C\r", "C[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"ABC[CR]"});
}

TEST_F(ReceiveCycleTest, ACloserSplitOverTwoChunksIsFound) {
  SetSetting("Connection", "PacketCloser", "[CR][LF]");
  DeliverChunk("AB\r", "AB[CR]");
  EXPECT_TRUE(OfferedPackets().empty());
  DeliverChunk("\nCD\r\n", "[LF]\r\nCD[CR][LF]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR][LF]", "CD[CR][LF]"}));
}

TEST_F(ReceiveCycleTest, BytesBeforeTheOpenerAreTracedButNotOffered) {
  SetSetting("Connection", "PacketOpener", "[STX]");
  SetSetting("Connection", "PacketCloser", "[ETX]");
  DeliverChunk(
      "xx\x02"
      "AB\x03",
      "xx[STX]AB[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"[STX]AB[ETX]"});
  EXPECT_EQ(m_Link.m_RxPacket, "");
}

TEST_F(ReceiveCycleTest, AnOpenerAfterAPacketStartsTheNextOneAndLeadingBytesGoWithIt) {
  SetSetting("Connection", "PacketOpener", "[STX]");
  SetSetting("Connection", "PacketCloser", "[ETX]");
  DeliverChunk(
      "\x02"
      "A\x03zz\x02"
      "B",
      "[STX]A[ETX]\r\nzz[STX]B");
  EXPECT_EQ(m_Link.m_RxPacket,
            "zz\x02"
            "B");
  DeliverChunk("\x03", "[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"[STX]A[ETX]", "[STX]B[ETX]"}));
  EXPECT_EQ(m_Link.m_RxPacket, "");
}

TEST_F(ReceiveCycleTest, ACloserBeforeAnyOpenerDoesNotCut) {
  SetSetting("Connection", "PacketOpener", "[STX]");
  SetSetting("Connection", "PacketCloser", "[ETX]");
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
  SetSetting("Connection", "PacketCloser", "");
  DeliverChunk("AB\r", "AB[CR]");
  DeliverChunk("CD\r", "CD[CR]");
  EXPECT_TRUE(OfferedPackets().empty());
  EXPECT_EQ(m_Link.m_RxPacket, "AB\rCD\r");
  EXPECT_EQ(CountLog(' ', "Match not found"), 0);
}

TEST_F(ReceiveCycleTest, SilenceLongerThanTheBreakTimeoutCutsWhatWasCollected) {
  SetSetting("Connection", "PacketCloser", "");
  SetSetting("Connection", "PacketBreakTimeout", "300");
  DeliverChunk("AB", "AB");
  DeliverChunk("CD", "CD");
  ASSERT_TRUE(TickUntil([this] { return !OfferedPackets().empty(); }));
  EXPECT_EQ(OfferedPackets(), Packets{"ABCD"});
  EXPECT_EQ(m_FrontEnd.trace, "ABCD\r\n");
  EXPECT_EQ(m_Link.m_RxPacket, "");
}

TEST_F(ReceiveCycleTest, BreakTimeoutCutsTheRestBehindALastCloser) {
  SetSetting("Connection", "PacketBreakTimeout", "300");
  DeliverChunk("AB\rCD", "AB[CR]\r\nCD");
  ASSERT_TRUE(TickUntil([this] { return OfferedPackets().size() == 2; }));
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR]", "CD"}));
  EXPECT_EQ(m_FrontEnd.trace, "AB[CR]\r\nCD\r\n");
}

TEST_F(ReceiveCycleTest, BreakTimeoutOnAnEmptyBufferWritesNothing) {
  SetSetting("Connection", "PacketBreakTimeout", "1");
  DeliverChunk("AB\r", "AB[CR]\r\n");
  const uint32_t stamped = m_Link.m_LastRxTick;
  ASSERT_TRUE(TickUntil([&] { return m_Link.m_LastRxTick != stamped; }));
  EXPECT_EQ(m_FrontEnd.trace, "AB[CR]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"AB[CR]"});
}

TEST_F(ReceiveCycleTest, InXmodemModeEveryChunkIsOnePacketWithItsOwnLine) {
  // The cycle reads "Mode" on every tick; the link keeps the TCP transport it opened with.
  SetSetting("Connection", "Mode", "4");
  DeliverChunk("AB\rC", "AB[CR]C\r\n");
  DeliverChunk("D", "D\r\n");
  EXPECT_EQ(OfferedPackets(), (Packets{"AB[CR]C", "D"}));
  EXPECT_EQ(m_Link.m_RxPacket, "");
}

TEST_F(ReceiveCycleTest, AChangedCloserFindsAPacketAlreadyInTheBuffer) {
  DeliverChunk("A;B", "A;B");
  SetSetting("Connection", "PacketCloser", ";");
  // The closer of "A;" came in an earlier tick, so no line end is written for it.
  DeliverChunk("C", "C");
  EXPECT_EQ(OfferedPackets(), Packets{"A;"});
  EXPECT_EQ(m_Link.m_RxPacket, "BC");
}

TEST_F(ReceiveCycleTest, ReopeningTheLinkStartsTheSearchAfresh) {
  SetSetting("Connection", "PacketOpener", "[STX]");
  SetSetting("Connection", "PacketCloser", "[ETX]");
  DeliverChunk(
      "\x02"
      "AAAA",
      "[STX]AAAA");
  ASSERT_TRUE(m_Link.Close());
  OpenTcpClientLink();
  EXPECT_EQ(m_Link.m_RxPacket, "");
  DeliverChunk(
      "zz\x02"
      "B\x03",
      "zz[STX]B[ETX]\r\n");
  EXPECT_EQ(OfferedPackets(), Packets{"[STX]B[ETX]"});
}

TEST_F(ReceiveCycleTest, TheBufferKeepsTheNewestMebibyteWithAWarning) {
  SetSetting("Connection", "PacketCloser", "");
  const size_t firstPart = 700 * 1024;
  // More than the socket buffers hold, so the far end writes while the ticks read.
  std::thread writer([&] {
    PeerSends(std::string(firstPart, 'a'));
    PeerSends(std::string(firstPart, 'b'));
  });
  const bool allArrived = TickUntil([&] { return m_FrontEnd.trace.size() >= 2 * firstPart; });
  writer.join();
  ASSERT_TRUE(allArrived);
  EXPECT_TRUE(m_FrontEnd.trace == std::string(firstPart, 'a') + std::string(firstPart, 'b'));
  ASSERT_EQ(m_Link.m_RxPacket.size(), ReceiveCycle::kMaxRxPacket);
  EXPECT_TRUE(m_Link.m_RxPacket == std::string(ReceiveCycle::kMaxRxPacket - firstPart, 'a') +
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
  ASSERT_TRUE(TickUntil([&] { return OfferedPackets().size() >= expected.size(); }));
  EXPECT_EQ(OfferedPackets(), expected);
  EXPECT_EQ(m_Link.m_RxPacket, "");
}

TEST_F(ReceiveCycleTest, AClosedLinkOnlyRestampsTheTick) {
  ASSERT_TRUE(m_Link.Close());
  SetSetting("Connection", "PacketBreakTimeout", "1");
  m_Link.m_RxPacket = "left";
  const uint32_t stamped = m_Link.m_LastRxTick;
  ASSERT_TRUE(TickUntil([&] { return m_Link.m_LastRxTick != stamped; }));
  EXPECT_EQ(OfferedPackets(), Packets{"left"});
  EXPECT_EQ(m_FrontEnd.trace, "\r\n");
}

// The three kinds of link that take requests: each answers a packet through AutoReply.
class ReceiveCycleLinkTest : public LinkDocTest,
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

INSTANTIATE_TEST_SUITE_P(Links, ReceiveCycleLinkTest,
                         ::testing::Values("tcp-client", "tcp-server", "udp-server"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
