#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include "link/net/asio_wait.h"
#include "support/loopback_socket.h"
#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using boost::asio::ip::udp;

// Lines of standard error that report a failure (the "link: " lines are status, not failure).
std::vector<std::string> FailureLines(const std::string& err) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    std::string line = err.substr(start, end - start);
    if (line.rfind("linkwright-cli: ", 0) == 0) {
      lines.push_back(line);
    }
    start = end == std::string::npos ? err.size() : end + 1;
  }
  return lines;
}

// Answers the first datagram that arrives within the patience with `reply`, to its sender.
class UdpResponder {
 public:
  explicit UdpResponder(std::string reply)
      : m_Socket(m_Io, udp::endpoint(boost::asio::ip::address_v4::loopback(), 0)),
        m_Port(m_Socket.local_endpoint().port()),
        m_Thread([this, reply = std::move(reply)] { Serve(reply); }) {}
  ~UdpResponder() { m_Thread.join(); }

  uint16_t Port() const { return m_Port; }
  // What the first datagram held; valid once the responder is destroyed or answered.
  const std::string& Request() const { return m_Request; }

 private:
  void Serve(const std::string& reply) {
    std::string data(65536, '\0');
    size_t got = 0;
    udp::endpoint sender;
    auto error = RunWithin(
        m_Io, LoopbackSocket::kPatience,
        [this, &data, &got, &sender](auto handler) {
          m_Socket.async_receive_from(
              boost::asio::buffer(data), sender,
              [&got, handler](const boost::system::error_code& e, size_t n) mutable {
                got = n;
                handler(e);
              });
        },
        [this] { m_Socket.cancel(); });
    if (!error) {
      m_Request = data.substr(0, got);
      m_Socket.send_to(boost::asio::buffer(reply), sender, 0, error);
    }
  }

  boost::asio::io_context m_Io;
  udp::socket m_Socket;
  uint16_t m_Port;
  std::string m_Request;
  std::thread m_Thread;
};

class SendCommandTest : public ::testing::Test {
 protected:
  // The command line of `send` with this test's own (missing, so default) settings file.
  std::vector<std::string> Send(const std::vector<std::string>& args) const {
    std::vector<std::string> line{"--config", m_File.string(), "send"};
    line.insert(line.end(), args.begin(), args.end());
    return line;
  }

  static std::vector<std::string> Link(int mode, bool server, uint16_t port) {
    return {"--set", "Connection.Mode=" + std::to_string(mode),
            "--set", std::string("Connection.ActAsServer=") + (server ? "1" : "0"),
            "--set", "Connection.SocketHost=127.0.0.1",
            "--set", "Connection.SocketPort=" + std::to_string(port)};
  }

  static std::vector<std::string> Join(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  TempDir m_Dir;
  std::filesystem::path m_File = m_Dir / "linkwright.cfg";
};

TEST_F(SendCommandTest, TcpClientSendsEveryTextInOrderAndPrintsTheTrace) {
  LoopbackSocket server = LoopbackSocket::TcpListener();
  ProcessResult result = RunCli(Send(Join(Link(1, false, server.Port()), {"A[CR]", "B[x00]"})));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- A[CR]\n<-- B[NUL]\n");
  EXPECT_EQ(result.err,
            "link: TCP --> 127.0.0.1:" + std::to_string(server.Port()) + "\nlink: TCP ...\n");
  LoopbackSocket peer = server.Accept();
  EXPECT_EQ(peer.Read(4), std::string("A\rB\0", 4));
  EXPECT_TRUE(peer.SeesClose());
}

TEST_F(SendCommandTest, EveryTextReachesTheCodecExactlyAsTyped) {
  LoopbackSocket server = LoopbackSocket::TcpListener();
  ProcessResult result = RunCli(
      Send(Join(Link(1, false, server.Port()), {"[CR]", "[STX]A[ETX]", "[x41],[x42]", "-5"})));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- [CR]\n<-- [STX]A[ETX]\n<-- A,B\n<-- -5\n");
  LoopbackSocket peer = server.Accept();
  EXPECT_EQ(peer.Read(9),
            "\r\x02"
            "A\x03"
            "A,B-5");
}

TEST_F(SendCommandTest, SettingsChangeTheTraceFormForThisRunOnly) {
  LoopbackSocket server = LoopbackSocket::TcpListener();
  ProcessResult result = RunCli(
      Send(Join(Link(1, false, server.Port()), {"--set", "userinterface.hextrace=1", "A[CR]"})));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- 41 0D \n");
  EXPECT_FALSE(std::filesystem::exists(m_File)) << "nothing is saved";
}

TEST_F(SendCommandTest, RefusedConnectionFailsWithOneLineAndTheDiagnosticOnRequest) {
  uint16_t port = UnusedTcpPortNumber();
  std::vector<std::string> args = Join({"--diag"}, Send(Join(Link(1, false, port), {"x"})));
  ProcessResult result = RunCli(args);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(FailureLines(result.err),
            std::vector<std::string>{"linkwright-cli: cannot connect to 127.0.0.1:" +
                                     std::to_string(port) + ": Connection refused"});
  EXPECT_NE(result.err.find("|E|connect() ... Error 111 : Connection refused\n"), std::string::npos)
      << result.err;
}

TEST_F(SendCommandTest, TcpServerWithoutPeerFailsTheSend) {
  ProcessResult result = RunCli(Send(Join(Link(1, true, UnusedTcpPortNumber()), {"x"})));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(FailureLines(result.err),
            std::vector<std::string>{"linkwright-cli: send failed: no TCP peer connected"});
  EXPECT_EQ(result.err.find("link: TCP \n"), 0u) << result.err;
}

TEST_F(SendCommandTest, TcpServerTakesAPeerWhileWaitingBeforeAndRefusesASecond) {
  uint16_t port = UnusedTcpPortNumber();
  RunningCli cli(Send(Join(Link(1, true, port), {"--before", "1500", "--wait", "300", "X"})));
  ASSERT_TRUE(cli.WaitForErr("link: TCP \n"));
  LoopbackSocket peer = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(cli.WaitForErr("link: TCP --> 127.0.0.1:" + std::to_string(peer.Port()) + "\n"));
  LoopbackSocket intruder = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(cli.WaitForErr("Only allow one message socket at a time\n"));
  EXPECT_TRUE(intruder.SeesClose());
  ASSERT_TRUE(peer.Write("hello"));
  EXPECT_EQ(peer.Read(1), "X");
  ASSERT_TRUE(peer.Write("[reply]"));
  EXPECT_EQ(cli.Wait(), 0) << cli.Err();
  EXPECT_EQ(cli.Out(), "hello<-- X\n[reply]");
}

TEST_F(SendCommandTest, UdpClientPrintsTheReply) {
  UdpResponder responder("OK\r");
  ProcessResult result = RunCli(Send(Join(Link(2, false, responder.Port()), {"PING[CR]"})));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- PING[CR]\nOK\n");
  EXPECT_EQ(responder.Request(), "PING\r");
  EXPECT_EQ(result.err, "link: UDP --> 127.0.0.1:" + std::to_string(responder.Port()) + "\n");
}

// The UDP client's reply comes back within the send, so it is the answer --stats reports.
TEST_F(SendCommandTest, UdpClientStatsReportTheReplyAsTheAnswer) {
  UdpResponder responder("OK\r");
  ProcessResult result = RunCli(
      Send(Join(Link(2, false, responder.Port()), {"--stats", "--wait", "5000", "PING[CR]"})));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- PING[CR]\nOK\n");
  EXPECT_TRUE(std::regex_search(result.err,
                                std::regex("\nresponse to PING\\[CR\\]: [0-9]+\\.[0-9]{3} ms\n")))
      << result.err;
}

TEST_F(SendCommandTest, UdpClientWithoutReplyFailsAfterTheResponseTimeout) {
  LoopbackSocket silent = LoopbackSocket::Udp();
  ProcessResult result = RunCli(
      Send(Join(Link(2, false, silent.Port()), {"--set", "Connection.ResponseTimeout=100", "X"})));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "<-- X\n") << "the datagram did go out";
  EXPECT_EQ(FailureLines(result.err),
            std::vector<std::string>{"linkwright-cli: send failed: no reply from 127.0.0.1:" +
                                     std::to_string(silent.Port()) + " within 100 ms"});
  EXPECT_EQ(silent.ReceiveDatagram(), "X");
}

TEST_F(SendCommandTest, UdpServerAnswersThePeerHeardWhileWaitingBefore) {
  uint16_t port = UnusedUdpPortNumber();
  RunningCli cli(Send(Join(Link(2, true, port), {"--before", "1000", "X[CR]"})));
  ASSERT_TRUE(cli.WaitForErr("link: UDP <-- 0.0.0.0\n"));
  LoopbackSocket peer = LoopbackSocket::Udp();
  ASSERT_TRUE(peer.SendTo(port, "hi"));
  EXPECT_EQ(peer.ReceiveDatagram(), "X\r");
  EXPECT_EQ(cli.Wait(), 0) << cli.Err();
  EXPECT_EQ(cli.Out(), "hi<-- X[CR]\n");
  EXPECT_NE(cli.Err().find("link: UDP <-- 127.0.0.1\n"), std::string::npos) << cli.Err();
}

TEST_F(SendCommandTest, MissingSerialDeviceFailsToOpen) {
  ProcessResult result =
      RunCli(Send({"--set", "Connection.Mode=0", "--set",
                   "Connection.CommConfig=" + (m_Dir / "ttyNone").string() + ":9600,N,8,1", "x"}));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(FailureLines(result.err),
            std::vector<std::string>{"linkwright-cli: cannot open " + (m_Dir / "ttyNone").string() +
                                     ": No such file or directory. No serial device with a "
                                     "name like it is present; `linkwright-cli ports` lists "
                                     "those that are."});
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  const char* errorPart;
};

class SendUsageTest : public SendCommandTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(SendUsageTest, IsAUsageError) {
  ProcessResult result = RunCli(Send(GetParam().args));
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(GetParam().errorPart), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("link: "), std::string::npos) << "nothing was opened";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SendUsageTest,
    ::testing::Values(
        UsageCase{
            "UnknownKey", {"--set", "Connection.Nope=1", "x"}, "unknown setting 'Connection.Nope'"},
        UsageCase{"NoEquals", {"--set", "Connection.Mode", "x"}, "is not SECTION.KEY=VALUE"},
        UsageCase{"NoDot", {"--set", "Mode=1", "x"}, "is not SECTION.KEY=VALUE"},
        UsageCase{"EmptyKey", {"--set", "Connection.=1", "x"}, "is not SECTION.KEY=VALUE"},
        UsageCase{"PortAboveRange",
                  {"--set", "Connection.SocketPort=65536", "x"},
                  "--set: Connection.SocketPort takes a whole number from 1 to 65535, not '65536'"},
        UsageCase{"PortWithTrailingText", {"--set", "Connection.SocketPort= 80x", "x"}, "' 80x'"},
        UsageCase{"EmptyPort", {"--set", "Connection.SocketPort=", "x"}, "not ''"},
        UsageCase{"ModeNotANumber", {"--set", "connection.mode=ab", "x"}, "Connection.Mode takes"},
        UsageCase{"ValueTooLong",
                  {"--set", "Connection.HttpUrl=" + std::string(2048, 'u'), "x"},
                  "Connection.HttpUrl takes at most 2047 characters, not 2048"},
        UsageCase{"NegativeWait", {"--wait", "-5", "x"}, "--wait"},
        UsageCase{"NoText", {"--wait", "5"}, "TEXT"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

}  // namespace

namespace {

TEST_F(SendCommandTest, StatsWaitForEachAnswerAndTimestampsStartEveryTraceLine) {
  LoopbackSocket server = LoopbackSocket::TcpListener();
  RunningCli cli(Send(Join(Link(1, false, server.Port()),
                           {"--stats", "--timestamps", "--wait", "500", "A[CR]", "B[CR]"})));
  LoopbackSocket peer = server.Accept();
  EXPECT_EQ(peer.Read(2), "A\r");
  // B goes out only once A's answer is complete.
  ASSERT_TRUE(peer.Write("a"));
  EXPECT_EQ(peer.ReadUntilQuiet(std::chrono::milliseconds(100)), "");
  ASSERT_TRUE(peer.Write("1\r"));
  EXPECT_EQ(peer.Read(2), "B\r");
  EXPECT_EQ(cli.Wait(), 0) << cli.Err();

  const std::string time = "[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ";
  EXPECT_TRUE(std::regex_match(cli.Out(), std::regex(time + "<-- A\\[CR\\]\n" + time +
                                                     "a1\\[CR\\]\n" + time + "<-- B\\[CR\\]\n")))
      << cli.Out();
  EXPECT_TRUE(
      std::regex_search(cli.Err(), std::regex("\nresponse to A\\[CR\\]: [0-9]+\\.[0-9]{3} ms\n"
                                              "no response to B\\[CR\\] within 500 ms\n")))
      << cli.Err();
}

}  // namespace

}  // namespace linkwright
