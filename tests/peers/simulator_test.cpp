#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "document/message_file.h"
#include "document/message_table.h"
#include "support/background_command.h"
#include "support/loopback_socket.h"
#include "support/pty_pair.h"
#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// `linkwright-cli run` as a child process, standing in for a device in front of real peers.
class SimulatorTest : public ::testing::Test {
 protected:
  SimulatorTest() {
    MessageTable table;
    const std::vector<MessageRow> rows = {
        {"PONG[CR]", "", 1, "PING[CR]"},
        {"VALUE 42[CR]", "", 1, "GET [0-9]+[CR]"},
        {"[STX]OK[ETX]", "", 1, "[STX]STATUS[ETX][CR]"},
        {"IDLE", "", 0, "IDLE[CR]"},
    };
    table.LoadRows(rows);
    const Error saved = SaveMessageFile(table, MessageFile());
    EXPECT_FALSE(saved.Failed()) << saved.Message();
  }

  std::string MessageFile() const { return (m_Dir / "rows.xml").string(); }

  // The arguments of a run with a configuration file of its own (absent: the defaults).
  std::vector<std::string> RunArguments(const std::vector<std::string>& options) const {
    std::vector<std::string> args{"--config", (m_Dir / "linkwright.cfg").string(), "run"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(MessageFile());
    return args;
  }

  static std::vector<std::string> TcpServerOptions(uint16_t port) {
    return {"--set", "Connection.Mode=1",
            "--set", "Connection.ActAsServer=1",
            "--set", "Connection.SocketPort=" + std::to_string(port),
            "--set", "Connection.RxPollingTime=10"};
  }

  TempDir m_Dir;
};

TEST_F(SimulatorTest, AnswersTheRequestsOfATcpClientAndTracesTheExchange) {
  const uint16_t port = UnusedTcpPortNumber();
  RunningCli simulator(RunArguments(TcpServerOptions(port)));
  ASSERT_TRUE(simulator.WaitForErr("link: TCP ")) << simulator.Err();
  LoopbackSocket client = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(client.valid());

  ASSERT_TRUE(client.Write("PING\r"));
  EXPECT_EQ(client.Read(5), "PONG\r");
  // Two requests in one write are both answered, in order.
  ASSERT_TRUE(client.Write("GET 17\r\x02STATUS\x03\r"));
  EXPECT_EQ(client.Read(13), "VALUE 42\r\x02OK\x03");
  // Inactive rows and requests that match nothing stay unanswered.
  ASSERT_TRUE(client.Write("IDLE\rGET x\r"));
  EXPECT_EQ(client.ReadUntilQuiet(milliseconds(300)), "");

  ASSERT_TRUE(simulator.Signal(SIGTERM));
  EXPECT_EQ(simulator.Wait(), 0);
  EXPECT_EQ(simulator.Out(),
            "PING[CR]\n<-- PONG[CR]\n"
            "GET 17[CR]\n[STX]STATUS[ETX][CR]\n<-- VALUE 42[CR]\n<-- [STX]OK[ETX]\n"
            "IDLE[CR]\nGET x[CR]\n");
  EXPECT_NE(simulator.Err().find("link: TCP --> 127.0.0.1:"), std::string::npos);
}

// With ticks a minute apart, an answer within the patience comes only from a wake-up: run's
// for the request, send's for the answer.
TEST_F(SimulatorTest, WakeOnDataAnswersWithoutWaitingForTheNextTick) {
  const uint16_t port = UnusedTcpPortNumber();
  const std::vector<std::string> slowTicks = {"--set", "Connection.RxPollingTime=60000",
                                              "--wake-on-data"};
  std::vector<std::string> server = TcpServerOptions(port);
  server.insert(server.end(), slowTicks.begin(), slowTicks.end());
  RunningCli simulator(RunArguments(server));
  ASSERT_TRUE(simulator.WaitForErr("link: TCP ")) << simulator.Err();

  // The same link settings from the other side; a later --set of a key wins.
  std::vector<std::string> client{"--config", (m_Dir / "linkwright.cfg").string(), "send"};
  const std::vector<std::string> link = TcpServerOptions(port);
  client.insert(client.end(), link.begin(), link.end());
  client.insert(client.end(),
                {"--set", "Connection.ActAsServer=0", "--set", "Connection.SocketHost=127.0.0.1",
                 "--wait", "600000", "--replies", "1"});
  client.insert(client.end(), slowTicks.begin(), slowTicks.end());
  client.push_back("PING[CR]");
  RunningCli send(client);
  EXPECT_EQ(send.Wait(), 0) << send.Err();
  EXPECT_EQ(send.Out(), "<-- PING[CR]\nPONG[CR]\n");

  ASSERT_TRUE(simulator.Signal(SIGTERM));
  EXPECT_EQ(simulator.Wait(), 0);
  EXPECT_EQ(simulator.Out(), "PING[CR]\n<-- PONG[CR]\n");
}

TEST_F(SimulatorTest, AnswersUdpDatagramsToTheirSender) {
  const uint16_t port = UnusedUdpPortNumber();
  RunningCli simulator(RunArguments({"--set", "Connection.Mode=2", "--set",
                                     "Connection.SocketPort=" + std::to_string(port), "--set",
                                     "Connection.RxPollingTime=10"}));
  ASSERT_TRUE(simulator.WaitForErr("link: ")) << simulator.Err();
  LoopbackSocket peer = LoopbackSocket::Udp();
  ASSERT_TRUE(peer.SendTo(port, "GET 5\r"));
  EXPECT_EQ(peer.ReceiveDatagram(), "VALUE 42\r");
  ASSERT_TRUE(peer.SendTo(port, "PING\r"));
  EXPECT_EQ(peer.ReceiveDatagram(), "PONG\r");
  ASSERT_TRUE(simulator.Signal(SIGINT));
  EXPECT_EQ(simulator.Wait(), 0);
}

TEST_F(SimulatorTest, AnswersOverASerialLine) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready()) << "socat did not make the pseudo-terminals";
  PtyEnd device(pty.b());
  ASSERT_TRUE(device.ok());
  RunningCli simulator(RunArguments({"--set", "Connection.Mode=0", "--set",
                                     "Connection.CommConfig=" + pty.a() + ":9600,N,8,1", "--set",
                                     "Connection.RxPollingTime=10"}));
  ASSERT_TRUE(simulator.WaitForErr("link: ")) << simulator.Err();
  ASSERT_TRUE(device.Write("PI"));
  ASSERT_TRUE(simulator.WaitForOut("PI"));
  ASSERT_TRUE(device.Write("NG\r"));
  EXPECT_EQ(device.Read(5, milliseconds(5000)), "PONG\r");
  ASSERT_TRUE(simulator.Signal(SIGTERM));
  EXPECT_EQ(simulator.Wait(), 0);
  EXPECT_EQ(simulator.Out(), "PING[CR]\n<-- PONG[CR]\n");
}

TEST_F(SimulatorTest, ABreakTimeoutEndsPacketsThatHaveNoCloser) {
  const uint16_t port = UnusedTcpPortNumber();
  std::vector<std::string> options = TcpServerOptions(port);
  options.insert(options.end(), {"--set", "Connection.PacketCloser=", "--set",
                                 "Connection.PacketBreakTimeout=100"});
  RunningCli simulator(RunArguments(options));
  ASSERT_TRUE(simulator.WaitForErr("link: TCP ")) << simulator.Err();
  LoopbackSocket client = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(client.Write("PING\r"));
  EXPECT_EQ(client.Read(5), "PONG\r");
  ASSERT_TRUE(simulator.WaitForOut("<-- PONG[CR]\n"));
  ASSERT_TRUE(simulator.Signal(SIGTERM));
  EXPECT_EQ(simulator.Wait(), 0);
  EXPECT_EQ(simulator.Out(), "PING[CR]\n<-- PONG[CR]\n");
}

TEST_F(SimulatorTest, AutoSendSendsTheActiveRowsInTurn) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  RunningCli simulator(
      RunArguments({"--set", "Connection.Mode=1", "--set", "Connection.ActAsServer=0", "--set",
                    "Connection.SocketPort=" + std::to_string(listener.Port()), "--set",
                    "AutoSend.CycleTime=10", "--autosend"}));
  LoopbackSocket device = listener.Accept();
  ASSERT_TRUE(device.valid()) << simulator.Err();
  EXPECT_EQ(device.Read(32), "PONG\rVALUE 42\r\x02OK\x03PONG\rVALUE 42\r");
}

TEST_F(SimulatorTest, WithoutAutosendTheStoredSwitchIsIgnored) {
  WriteFileBytes(m_Dir / "linkwright.cfg", "[AutoSend]\r\nEnabled=1\r\nCycleTime=10\r\n");
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  RunningCli simulator(RunArguments(
      {"--set", "Connection.Mode=1", "--set", "Connection.ActAsServer=0", "--set",
       "Connection.SocketPort=" + std::to_string(listener.Port()), "--set", "AutoSend.Enabled=1"}));
  LoopbackSocket device = listener.Accept();
  ASSERT_TRUE(device.valid()) << simulator.Err();
  EXPECT_EQ(device.ReadUntilQuiet(milliseconds(300)), "");
}

TEST_F(SimulatorTest, EndsByItselfAfterTheGivenTime) {
  RunningCli simulator(RunArguments(
      {"--set", "Connection.Mode=2", "--set",
       "Connection.SocketPort=" + std::to_string(UnusedUdpPortNumber()), "--for", "0.2"}));
  EXPECT_EQ(simulator.Wait(), 0);
  EXPECT_EQ(simulator.Out(), "");
}

TEST_F(SimulatorTest, FailuresToStartAreOneLineAndExitOne) {
  const ProcessResult missing = RunCli({"--config", (m_Dir / "linkwright.cfg").string(), "run",
                                        "--for", "1", (m_Dir / "missing.xml").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
  EXPECT_NE(missing.err.find("missing.xml"), std::string::npos) << missing.err;

  const ProcessResult refused = RunCli(RunArguments(
      {"--set", "Connection.Mode=1", "--set", "Connection.ActAsServer=0", "--set",
       "Connection.SocketPort=" + std::to_string(UnusedTcpPortNumber()), "--for", "1"}));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("linkwright-cli: "), std::string::npos) << refused.err;

  const ProcessResult badSetting = RunCli(RunArguments({"--set", "Connection.Nothing=1"}));
  EXPECT_EQ(badSetting.exitCode, 2);

  const ProcessResult notANumber = RunCli(RunArguments({"--for", "nan"}));
  EXPECT_EQ(notANumber.exitCode, 2);
  EXPECT_NE(notANumber.err.find("--for: 'nan' is not a number of seconds"), std::string::npos)
      << notANumber.err;
}

TEST_F(SimulatorTest, XmodemReceptionsArePackets) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready()) << "socat did not make the pseudo-terminals";
  WriteFileBytes(pty.dir() / "frame", "HELLO XMODEM");
  RunningCli simulator(RunArguments({"--set", "Connection.Mode=4", "--set",
                                     "Connection.CommConfig=" + pty.a() + ":115200,N,8,1", "--set",
                                     "Connection.RxPollingTime=10"}));
  ASSERT_TRUE(simulator.WaitForErr("link: ")) << simulator.Err();
  // A byte on the idle line wakes the receiving side, which then asks sx for the blocks.
  BackgroundCommand sender("cd " + pty.dir().path().string() + " && (printf W; exec sx frame) < " +
                           pty.b() + " > " + pty.b());
  EXPECT_EQ(sender.Wait(milliseconds(20000)), 0);
  ASSERT_TRUE(simulator.WaitForOut("HELLO XMODEM")) << simulator.Out();
  ASSERT_TRUE(simulator.Signal(SIGTERM));
  EXPECT_EQ(simulator.Wait(), 0);
  const std::string out = simulator.Out();
  EXPECT_EQ(out.find("HELLO XMODEM"), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one reception, one line: " << out;
}

}  // namespace

namespace {

TEST_F(SimulatorTest, StatsAreWrittenOnSigintAndTimestampsStartEveryTraceLine) {
  const uint16_t port = UnusedTcpPortNumber();
  const std::string statsFile = (m_Dir / "stats.json").string();
  std::vector<std::string> options = TcpServerOptions(port);
  options.insert(options.end(), {"--timestamps", "--stats", statsFile});
  RunningCli simulator(RunArguments(options));
  ASSERT_TRUE(simulator.WaitForErr("link: TCP ")) << simulator.Err();
  LoopbackSocket client = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(client.valid());
  // The second PING answers the first PONG, the third packet nothing sent.
  ASSERT_TRUE(client.Write("PING\r"));
  EXPECT_EQ(client.Read(5), "PONG\r");
  ASSERT_TRUE(client.Write("PI"));
  ASSERT_TRUE(simulator.WaitForOut("PI"));
  ASSERT_TRUE(client.Write("NG\r"));
  EXPECT_EQ(client.Read(5), "PONG\r");

  ASSERT_TRUE(simulator.Signal(SIGINT));
  EXPECT_EQ(simulator.Wait(), 0) << simulator.Err();
  const std::string time = "[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ";
  const std::string exchange = time + "PING\\[CR\\]\n" + time + "<-- PONG\\[CR\\]\n";
  EXPECT_TRUE(std::regex_match(simulator.Out(), std::regex(exchange + exchange)))
      << simulator.Out();
  EXPECT_NE(simulator.Err().find("\nstats: 2 sent, 1 answered, 2 AutoReply hits, median "),
            std::string::npos)
      << simulator.Err();
  const std::string json = ReadFileBytes(statsFile);
  EXPECT_NE(json.find("{\"row\": 1, \"sent\": 2, \"hits\": 2, \"answered\": 1, \"median_ms\": "),
            std::string::npos)
      << json;
}

}  // namespace

}  // namespace linkwright
