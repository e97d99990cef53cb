#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
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

// The console over links that fail or misbehave: each ends with one clear line and a failure
// status, never on a device or port the user did not name, and never hangs.
class LinkFaultsTest : public ::testing::Test {
 protected:
  LinkFaultsTest() {
    MessageTable table;
    table.LoadRows({{"TICK", "", 1, "PING[CR]"}});
    EXPECT_FALSE(SaveMessageFile(table, RowsFile()).Failed());
  }

  std::string RowsFile() const { return (m_Dir / "rows.xml").string(); }
  std::filesystem::path StatsFile() const { return m_Dir / "stats.json"; }

  // A command line with this test's own settings file.
  std::vector<std::string> Command(const std::string& command,
                                   const std::vector<std::string>& args) const {
    std::vector<std::string> line{"--config", (m_Dir / "linkwright.cfg").string(), command};
    line.insert(line.end(), args.begin(), args.end());
    return line;
  }

  static std::vector<std::string> Set(const std::vector<std::string>& assignments) {
    std::vector<std::string> args;
    for (const std::string& assignment : assignments) {
      args.push_back("--set");
      args.push_back(assignment);
    }
    return args;
  }

  // A TCP client of 127.0.0.1:port polling every 10 ms.
  static std::vector<std::string> TcpClientOf(uint16_t port) {
    return Set({"Connection.Mode=1", "Connection.ActAsServer=0",
                "Connection.SocketPort=" + std::to_string(port), "Connection.RxPollingTime=10"});
  }

  static std::vector<std::string> Join(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  // The last line of standard error.
  static std::string LastLine(const std::string& err) {
    const size_t end = err.size() - (err.ends_with('\n') ? 1 : 0);
    const size_t start = err.rfind('\n', end == 0 ? 0 : end - 1);
    return err.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1));
  }

  TempDir m_Dir;
};

TEST_F(LinkFaultsTest, ACommConfigThatDoesNotParseFailsTheOpenInSerialAndXmodemMode) {
  for (const char* mode : {"0", "4"}) {
    for (const char* setting : {"/dev/ttyUSB0:0,N,8,1", "/dev/ttyUSB0:9600,Q,8,1"}) {
      const ProcessResult result =
          RunCli(Command("send", Join(Set({std::string("Connection.Mode=") + mode,
                                           std::string("Connection.CommConfig=") + setting}),
                                      {"HELLO"})));
      EXPECT_EQ(result.exitCode, 1) << mode << " " << setting;
      // The status names the setting as written, not a port it never meant.
      EXPECT_EQ(result.err, std::string("link: ") + setting + "\nlinkwright-cli: CommConfig \"" +
                                setting + "\" is not a serial setting such as COM1:9600,N,8,1\n");
      EXPECT_EQ(result.out, "");
    }
  }
}

TEST_F(LinkFaultsTest, ASocketPortOutsideTheRangeFailsTheOpenWhateverTheMode) {
  struct Case {
    const char* mode;
    const char* server;
    const char* port;
  };
  for (const Case& c : {Case{"1", "1", "0"}, Case{"1", "0", "65536"}, Case{"2", "1", "-1"}}) {
    // Written to the file, which stays tolerant to read.
    WriteFileBytes(m_Dir / "linkwright.cfg", std::string("[Connection]\nMode=") + c.mode +
                                                 "\nActAsServer=" + c.server +
                                                 "\nSocketPort=" + c.port + "\n");
    const ProcessResult result = RunCli(Command("send", {"X"}));
    EXPECT_EQ(result.exitCode, 1) << c.port;
    EXPECT_EQ(LastLine(result.err),
              std::string("linkwright-cli: SocketPort ") + c.port + " is outside 1 … 65535");
  }
}

// The statistics of a failed run are written all the same.
TEST_F(LinkFaultsTest, ARunAsTcpClientEndsWhenTheServerClosesAndWritesItsStatistics) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  RunningCli run(Command(
      "run", Join(TcpClientOf(listener.Port()), {"--stats", StatsFile().string(), RowsFile()})));
  LoopbackSocket server = listener.Accept();
  ASSERT_TRUE(server.valid());
  server.Close();
  EXPECT_EQ(run.Wait(milliseconds(2000)), 1);
  EXPECT_EQ(LastLine(run.Err()), "linkwright-cli: link lost: the server closed the connection");
  EXPECT_NE(run.Err().find("link: TCP ...\n"), std::string::npos) << run.Err();
  EXPECT_TRUE(ReadFileBytes(StatsFile()).starts_with("{\n  \"rows\": ["));
}

TEST_F(LinkFaultsTest, ARunWhoseTraceCannotBeWrittenEndsWithOneErrorLineAndItsStatistics) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  const std::filesystem::path err = m_Dir / "err";
  std::string line = "exec '" + std::string(LINKWRIGHT_CLI_PATH) + "' --config '" +
                     (m_Dir / "linkwright.cfg").string() + "' run";
  for (const std::string& arg : TcpClientOf(listener.Port())) {
    line += " '" + arg + "'";
  }
  line += " --stats '" + StatsFile().string() + "' '" + RowsFile() + "' > /dev/full 2> '" +
          err.string() + "'";
  BackgroundCommand run(line);
  LoopbackSocket server = listener.Accept();
  ASSERT_TRUE(server.valid());
  ASSERT_TRUE(server.Write("PING\r"));
  EXPECT_EQ(run.Wait(milliseconds(5000)), 1);
  EXPECT_EQ(LastLine(ReadFileBytes(err)),
            "linkwright-cli: cannot write the trace: No space left on device");
  EXPECT_TRUE(ReadFileBytes(StatsFile()).starts_with("{\n  \"rows\": ["));
}

TEST_F(LinkFaultsTest, ASerialRunEndsWhenTheLineHangsUp) {
  PtyProgram farSide("sleep 0.5");
  ASSERT_TRUE(farSide.ready());
  RunningCli run(Command("run", Join(Set({"Connection.Mode=0",
                                          "Connection.CommConfig=" + farSide.path() + ":9600,N,8,1",
                                          "Connection.RxPollingTime=10"}),
                                     {RowsFile()})));
  EXPECT_EQ(run.Wait(milliseconds(3000)), 1);
  EXPECT_EQ(LastLine(run.Err()), "linkwright-cli: link lost: the serial line hung up");
}

TEST_F(LinkFaultsTest, ARunOverAUdpClientSendsItsRows) {
  LoopbackSocket device = LoopbackSocket::Udp();
  RunningCli run(
      Command("run", Join(Set({"Connection.Mode=2", "Connection.ActAsServer=0",
                               "Connection.SocketPort=" + std::to_string(device.Port()),
                               "Connection.ResponseTimeout=50", "AutoSend.CycleTime=10"}),
                          {"--autosend", RowsFile()})));
  EXPECT_EQ(device.ReceiveDatagram(), "TICK");
  ASSERT_TRUE(run.Signal(SIGTERM));
  EXPECT_EQ(run.Wait(), 0) << run.Err();
}

TEST_F(LinkFaultsTest, ARunStopsSoonAfterSigtermWhileAnXmodemSendWaitsForItsPeer) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready());
  RunningCli run(Command(
      "run", Join(Set({"Connection.Mode=4", "Connection.CommConfig=" + pty.a() + ":9600,N,8,1",
                       "AutoSend.CycleTime=1"}),
                  {"--autosend", RowsFile()})));
  ASSERT_TRUE(run.WaitForErr("link: "));
  // The far side never answers, so the transfer waits for the receiver's first request.
  std::this_thread::sleep_for(milliseconds(300));
  ASSERT_TRUE(run.Signal(SIGTERM));
  EXPECT_EQ(run.Wait(milliseconds(1500)), 0) << run.Err();
}

TEST_F(LinkFaultsTest, ARunStopsSoonWhileAUdpOrHttpExchangeWaitsForItsPeer) {
  for (const bool http : {false, true}) {
    for (const bool bySignal : {true, false}) {
      LoopbackSocket device = http ? LoopbackSocket::TcpListener() : LoopbackSocket::Udp();
      const std::string port = std::to_string(device.Port());
      const std::vector<std::string> settings =
          Set({http ? "Connection.Mode=3" : "Connection.Mode=2", "Connection.ActAsServer=0",
               http ? "Connection.HttpUrl=http://127.0.0.1:" + port + "/"
                    : "Connection.SocketPort=" + port,
               "Connection.ResponseTimeout=60000", "AutoSend.CycleTime=1"});
      const std::vector<std::string> stop =
          bySignal ? std::vector<std::string>{} : std::vector<std::string>{"--for", "2"};
      RunningCli run(Command("run", Join(Join(settings, stop), {"--autosend", RowsFile()})));
      // The first request reaches the device, which never answers.
      std::optional<LoopbackSocket> connection;
      if (http) {
        connection.emplace(device.Accept());
      }
      ASSERT_TRUE(http ? connection->Read(4) == "GET " : device.ReceiveDatagram().has_value())
          << run.Err();
      if (bySignal) {
        ASSERT_TRUE(run.Signal(SIGTERM));
      }
      EXPECT_EQ(run.Wait(milliseconds(3000)), 0)
          << (http ? "HTTP" : "UDP client") << (bySignal ? ", SIGTERM" : ", --for");
    }
  }
}

TEST_F(LinkFaultsTest, SendWaitCutsWhatArrivesIntoPacketsAndStopsAtTheReplyCount) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  RunningCli send(Command("send", Join(TcpClientOf(listener.Port()),
                                       {"--wait", "10000", "--replies", "2", "PING[CR]"})));
  LoopbackSocket device = listener.Accept();
  ASSERT_TRUE(device.valid());
  EXPECT_EQ(device.Read(5), "PING\r");
  ASSERT_TRUE(device.Write("PONG\rPONG\r"));
  EXPECT_EQ(send.Wait(milliseconds(2000)), 0) << "two replies end the wait";
  EXPECT_EQ(send.Out(), "<-- PING[CR]\nPONG[CR]\nPONG[CR]\n");
}

TEST_F(LinkFaultsTest, ATraceThatCannotBeWrittenEndsWithOneErrorLine) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  std::string line = "exec '" + std::string(LINKWRIGHT_CLI_PATH) + "' --config '" +
                     (m_Dir / "linkwright.cfg").string() +
                     "' send --set Connection.Mode=1 --set Connection.ActAsServer=0 --set "
                     "Connection.SocketPort=" +
                     std::to_string(listener.Port()) + " X > /dev/full";
  const ProcessResult result = RunProgram("sh", {"-c", line});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(LastLine(result.err),
            "linkwright-cli: cannot write the trace: No space left on device");
}

}  // namespace

}  // namespace linkwright
