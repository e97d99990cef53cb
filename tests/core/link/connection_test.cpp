#include "link/udp/udp_client_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/escape_codec.h"
#include "link/packet_extraction.h"
#include "scripted_peers.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;
using Script = std::vector<std::vector<ScriptedDatagram>>;

struct PacketCase {
  const char* name;
  std::string buffer;
  std::string opener;
  std::string closer;
  bool consume;
  bool found;
  std::string body;
  std::string left;
};

const std::vector<PacketCase> kPacketCases = {
    {"CloserOnly", "ABC\r", "", "\r", true, true, "ABC", ""},
    {"CloserOnlyKeepsTheRest", "ABC\rDEF", "", "\r", true, true, "ABC", "DEF"},
    {"BytesBeforeOpenerGoWithThePacket",
     "xx\x02"
     "AB\x03yy",
     "\x02", "\x03", true, true, "AB", "yy"},
    {"NotConsumingLeavesTheBuffer",
     "xx\x02"
     "AB\x03yy",
     "\x02", "\x03", false, true, "AB",
     "xx\x02"
     "AB\x03yy"},
    {"OpenerAloneGivesAnEmptyBody", "xx<rest", "<", "", true, true, "", "rest"},
    {"CloserMustFollowTheOpener", "]x[", "[", "]", true, false, "", "]x["},
    {"NoOpener", "ABC\r", "<", "\r", true, false, "", "ABC\r"},
    {"NoCloserYet", "<AB", "<", ">", true, false, "", "<AB"},
    {"FirstOpenerFirstCloserAfterIt", "<a<b>c>", "<", ">", true, true, "a<b", "c>"},
    {"MultiByteMarkers", "--BEGINxyzEND--", "BEGIN", "END", true, true, "xyz", "--"},
    {"ZeroBytesInsideTheBody", std::string("<\0\0>", 4), "<", ">", true, true,
     std::string("\0\0", 2), ""},
    {"EmptyBuffer", "", "", "\r", true, false, "", ""},
};

class PacketExtraction : public testing::TestWithParam<PacketCase> {};

TEST_P(PacketExtraction, CutsTheBodyBetweenOpenerAndCloser) {
  const PacketCase& c = GetParam();
  CapturedLog log;
  ByteString buffer = c.buffer;
  ByteString body = "stale";
  EXPECT_EQ(ExtractPacket(buffer, c.opener, c.closer, body, c.consume), c.found);
  EXPECT_EQ(body, c.body);
  EXPECT_EQ(buffer, c.left);
  EXPECT_EQ(log.Has(' ', "Match not found"), !c.found);
  EXPECT_EQ(
      log.Has(' ', "Match pattern removed; SourceText=\"" + BytesToText(c.left, false) + "\""),
      c.found && c.consume);
}

INSTANTIATE_TEST_SUITE_P(Cases, PacketExtraction, testing::ValuesIn(kPacketCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PacketExtraction, TraceShowsTheBodyAndTheRestInEscapeSyntax) {
  CapturedLog log;
  ByteString buffer =
      "\x02"
      "A\x01\x03"
      "B";
  ByteString body;
  ASSERT_TRUE(ExtractPacket(buffer, "\x02", "\x03", body, true));
  ASSERT_EQ(log.Lines().size(), 2u);
  EXPECT_EQ(log.Lines()[0].text, "Match found; TargetText=\"A[SOH]\"");
  EXPECT_EQ(log.Lines()[1].text, "Match pattern removed; SourceText=\"B\"");
}

// A UDP client aimed at a scripted peer on loopback.
UdpClientConnection& Aim(UdpClientConnection& connection, const UdpScriptedPeer& peer,
                         int32_t timeout = 1000) {
  connection.SetDestination("127.0.0.1", peer.Port());
  connection.SetTimeout(timeout);
  connection.SetPollInterval(0);
  EXPECT_TRUE(connection.Open());
  return connection;
}

TEST(UdpClientConnection, EchoedCommandComesBackAsTheReplyWithoutTheCloser) {
  UdpScriptedPeer peer(Script{}, true);
  UdpClientConnection connection;
  Aim(connection, peer);
  CapturedLog log;
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("PING\r", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, "PING");
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"PING\r"});
  EXPECT_TRUE(log.Has('I',
                      "<- Connection::SendCommand() : Command = \"PING[CR]\", Opener = \"\", "
                      "Closer = \"[CR]\", Timeout = 1000 [ms]"));
  EXPECT_TRUE(log.Has(' ', "<Tx (len = 5) \"PING[CR]\""));
  EXPECT_TRUE(log.Has(' ', "sento() --> 5"));
  EXPECT_TRUE(log.Has(' ', ">Rx (len = 5) \"PING[CR]\""));
  EXPECT_TRUE(log.Has('I', "-> Connection::SendCommand() SUCCESSFULL, Reply = \"PING\""));
  EXPECT_FALSE(log.Has('E', "-> Connection::SendCommand() FAILED"));
}

TEST(UdpClientConnection, NullOpenerAndCloserAreNamedInTheLog) {
  UdpScriptedPeer peer(Script{}, true);
  UdpClientConnection connection;
  Aim(connection, peer);
  CapturedLog log;
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("Q", std::nullopt, std::nullopt, reply));
  EXPECT_EQ(reply, "Q");
  EXPECT_TRUE(log.Has('I',
                      "<- Connection::SendCommand() : Command = \"Q\", Opener = \"<null>\", "
                      "Closer = \"<null>\", Timeout = 1000 [ms]"));
}

TEST(UdpClientConnection, SendTraceShowsTwentyCharactersOfTheDataAndTheLength) {
  UdpScriptedPeer peer(Script{}, true);
  UdpClientConnection connection;
  Aim(connection, peer);
  CapturedLog log;
  ASSERT_TRUE(connection.Send("HELLO WORLD 12345678901234", -1));
  EXPECT_TRUE(log.Has(' ', "UdpClientConnection::DoSend( \"HELLO WORLD 12345678\", 26 )"));
  EXPECT_EQ(log.Count(' ', "sento() --> 26"), 1);
}

TEST(UdpClientConnection, NegativeLengthSendsUpToTheFirstZeroByte) {
  UdpScriptedPeer peer(Script{});
  UdpClientConnection connection;
  Aim(connection, peer);
  const char data[] = {'A', 'B', '\0', 'C', 'D'};
  ASSERT_TRUE(connection.Send(data, -1));
  ASSERT_TRUE(connection.Send(data, 5));
  ByteString reply;
  connection.SetTimeout(50);
  connection.SendCommand("sync", ByteString(), ByteString(), reply);
  const std::vector<std::string> received = peer.Received();
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ(received[0], "AB");
  EXPECT_EQ(received[1], std::string(data, 5));
}

TEST(UdpClientConnection, CloserInALaterDatagramCompletesTheReplyAndDropsLeadingBytes) {
  UdpScriptedPeer peer(Script{{{"xx\x02"
                                "AB"},
                               {"C\x03yy", milliseconds(30)}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("GET", ByteString("\x02"), ByteString("\x03"), reply));
  EXPECT_EQ(reply, "ABC");
  EXPECT_EQ(connection.RxBuffer(), "yy");
}

TEST(UdpClientConnection, WithoutOpenerAndCloserTheFirstDatagramIsTheWholeReply) {
  UdpScriptedPeer peer(Script{{{"first"}, {"second", milliseconds(30)}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("GET", ByteString(), ByteString(), reply));
  EXPECT_EQ(reply, "first");
  EXPECT_TRUE(connection.RxBuffer().empty());
}

TEST(UdpClientConnection, InputBeforeTheCommandIsNotTakenAsItsReply) {
  UdpScriptedPeer peer(Script{{{"old\r"}}, {{"new\r"}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("one", ByteString(), ByteString("\r"), reply));
  ASSERT_EQ(reply, "old");
  ASSERT_TRUE(connection.SendCommand("two", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, "new");
}

TEST(UdpClientConnection, SilentPeerEndsInFailureAfterTheTimeout) {
  UdpScriptedPeer peer(Script{});
  UdpClientConnection connection;
  Aim(connection, peer, 100);
  CapturedLog log;
  ByteString reply;
  EXPECT_FALSE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_TRUE(log.Has('E', "-> Connection::SendCommand() FAILED"));
  EXPECT_EQ(peer.Received(), std::vector<std::string>{"PING"});
}

TEST(UdpClientConnection, ReplyWithoutTheCloserIsNoReply) {
  UdpScriptedPeer peer(Script{{{"PONG"}}});
  UdpClientConnection connection;
  Aim(connection, peer, 100);
  ByteString reply;
  EXPECT_FALSE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(connection.RxBuffer(), "PONG");
}

TEST(UdpClientConnection, TinyTimeoutPollsWithoutWaitingForALateReply) {
  UdpScriptedPeer peer(Script{{{"late\r", milliseconds(300)}}});
  UdpClientConnection connection;
  Aim(connection, peer, 5);
  ByteString reply;
  EXPECT_FALSE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
}

TEST(UdpClientConnection, PollIntervalSetsThePauseBetweenReads) {
  UdpScriptedPeer peer(Script{{{"x"}, {"y"}, {"z"}, {"\r", milliseconds(40)}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  connection.SetPollInterval(100);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, "xyz");
}

TEST(UdpClientConnection, StrayDatagramsBeforeTheReplyDoNotUseUpTheWait) {
  std::vector<ScriptedDatagram> datagrams(12, ScriptedDatagram{"~"});
  datagrams.push_back({"OK\r"});
  UdpScriptedPeer peer(Script{datagrams});
  UdpClientConnection connection;
  Aim(connection, peer);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, std::string(12, '~') + "OK");
}

TEST(UdpClientConnection, BufferAbove4096BytesIsDroppedWithAWarning) {
  const std::string block(1000, 'a');
  UdpScriptedPeer peer(Script{{{block}, {block}, {block}, {block}, {block}, {"OK\r"}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  CapturedLog log;
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, "OK");
  EXPECT_EQ(log.Count('W', "Connection::Receive() : m_RxBuffer truncated; rx data lost"), 1);
}

TEST(UdpClientConnection, DatagramLargerThanTheChunkArrivesWhole) {
  const std::string large = std::string(3000, 'L') + "\r";
  UdpScriptedPeer peer(Script{{{large}}});
  UdpClientConnection connection;
  Aim(connection, peer);
  connection.SetChunkSize(16);
  ByteString reply;
  ASSERT_TRUE(connection.SendCommand("PING", ByteString(), ByteString("\r"), reply));
  EXPECT_EQ(reply, std::string(3000, 'L'));
}

TEST(UdpClientConnection, ClosedConnectionRefusesEveryOperation) {
  UdpScriptedPeer peer(Script{}, true);
  UdpClientConnection connection;
  connection.SetDestination("127.0.0.1", peer.Port());
  CapturedLog log;
  ByteString reply;
  EXPECT_FALSE(connection.Close());
  EXPECT_FALSE(connection.Send("A", 1));
  EXPECT_EQ(connection.Receive(), 0u);
  EXPECT_EQ(connection.LastError().Kind(), ErrorKind::kState);
  EXPECT_FALSE(connection.SendCommand("A", ByteString(), ByteString(), reply));
  EXPECT_TRUE(log.Has('E', "-> Connection::SendCommand() FAILED"));
  EXPECT_EQ(log.Lines().size(), 2u);
  EXPECT_TRUE(peer.Received().empty());
}

TEST(UdpClientConnection, OpenAndCloseFollowTheState) {
  UdpScriptedPeer peer(Script{}, true);
  UdpClientConnection connection;
  connection.SetDestination("localhost", peer.Port());
  EXPECT_TRUE(connection.Open());
  EXPECT_FALSE(connection.Open());
  EXPECT_TRUE(connection.IsOpen());
  EXPECT_TRUE(connection.Close());
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_TRUE(connection.Open());
  ByteString reply;
  EXPECT_TRUE(connection.SendCommand("again", ByteString(), ByteString(), reply));
  EXPECT_EQ(reply, "again");
}

TEST(UdpClientConnection, UnknownHostFailsToOpenWithASocketErrorLine) {
  UdpClientConnection connection;
  connection.SetDestination("no-such-host.invalid", 7);
  CapturedLog log;
  EXPECT_FALSE(connection.Open());
  EXPECT_FALSE(connection.IsOpen());
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0].level, 'E');
  EXPECT_EQ(log.Lines()[0].text.rfind("Socket error ", 0), 0u);
  ByteString reply;
  EXPECT_FALSE(connection.SendCommand("A", ByteString(), ByteString(), reply));
}

TEST(UdpClientConnection, ChunkSizeIgnoresValuesBelowOne) {
  UdpClientConnection connection;
  EXPECT_EQ(connection.ChunkSize(), 1024);
  connection.SetChunkSize(0);
  connection.SetChunkSize(-5);
  EXPECT_EQ(connection.ChunkSize(), 1024);
  connection.SetChunkSize(7);
  EXPECT_EQ(connection.ChunkSize(), 7);
}

}  // namespace

}  // namespace linkwright
