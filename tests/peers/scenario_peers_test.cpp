#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/loopback_socket.h"
#include "support/pty_pair.h"
#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

const std::string kExamples = std::string(LINKWRIGHT_SOURCE_DIR) + "/examples/";

// A scenario against `linkwright-cli run` of the demo table, over each kind of link: the
// device's settings, the tester's and how many tests pass.
struct LinkCase {
  std::string name;
  std::vector<std::string> device;
  std::vector<std::string> tester;
  std::string scenario;
  std::string passed;
};

// A UDP client's answer comes back within its send, as the exchange extracts it (without the
// closer); a request without an answer fails its send, so there is no silence test.
const char* const kUdpScenario =
    "messages: demo.xml\n"
    "tests:\n"
    "  - name: ping\n    steps:\n      - send: PING[CR]\n      - expect: PONG\n"
    "  - name: value\n    steps:\n"
    "      - send: GET 7[CR]\n      - expect: {regex: \"VALUE (?<v>[0-9]+)\"}\n"
    "      - send: \"GET ${v}[CR]\"\n      - expect: VALUE 42\n"
    "  - name: row\n    steps:\n      - send: {row: 5}\n      - expect: {hex: 504F4E47}\n";

std::vector<std::string> Settings(const std::vector<std::string>& assignments) {
  std::vector<std::string> args;
  for (const std::string& assignment : assignments) {
    args.insert(args.end(), {"--set", assignment});
  }
  return args;
}

std::vector<std::string> Command(const TempDir& dir, const std::string& command,
                                 const std::vector<std::string>& options) {
  std::vector<std::string> args{"--config", (dir / "linkwright.cfg").string(), command};
  args.insert(args.end(), options.begin(), options.end());
  return args;
}

TEST(ScenarioPeersTest, TheExampleScenarioPassesAgainstTheSimulatorOverEveryLink) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready()) << "socat did not make the pseudo-terminals";
  const std::string tcp = std::to_string(UnusedTcpPortNumber());
  const std::string udp = std::to_string(UnusedUdpPortNumber());
  const std::string example = kExamples + "demo-scenario.yaml";
  TempDir scenarios;
  WriteFileBytes(scenarios / "demo.xml", ReadFileBytes(kExamples + "demo.xml"));
  WriteFileBytes(scenarios / "udp.yaml", kUdpScenario);
  const LinkCase cases[] = {
      {"tcp",
       {"Connection.Mode=1", "Connection.ActAsServer=1", "Connection.SocketPort=" + tcp},
       {"Connection.SocketPort=" + tcp},
       example,
       "5 passed, 0 failed"},
      {"udp",
       {"Connection.Mode=2", "Connection.ActAsServer=1", "Connection.SocketPort=" + udp},
       {"Connection.Mode=2", "Connection.ActAsServer=0", "Connection.SocketPort=" + udp},
       (scenarios / "udp.yaml").string(),
       "3 passed, 0 failed"},
      {"serial",
       {"Connection.Mode=0", "Connection.CommConfig=" + pty.a() + ":9600,N,8,1"},
       {"Connection.Mode=0", "Connection.CommConfig=" + pty.b() + ":9600,N,8,1"},
       example,
       "5 passed, 0 failed"},
  };
  for (const LinkCase& link : cases) {
    TempDir dir;
    std::vector<std::string> device = Settings(link.device);
    device.insert(device.end(), {"--wake-on-data", kExamples + "demo.xml"});
    RunningCli simulator(Command(dir, "run", device));
    ASSERT_TRUE(simulator.WaitForErr("link: ")) << link.name << ": " << simulator.Err();

    std::vector<std::string> tester = Settings(link.tester);
    tester.insert(tester.end(), {"--junit", (dir / "junit.xml").string(), link.scenario});
    const ProcessResult result = RunCli(Command(dir, "test", tester));
    EXPECT_EQ(result.exitCode, 0) << link.name << ":\n" << result.out << result.err;
    EXPECT_NE(result.out.find(link.passed), std::string::npos) << result.out;
    EXPECT_NE(ReadFileBytes(dir / "junit.xml").find("failures=\"0\""), std::string::npos)
        << link.name;
  }
}

// A device that answers wrongly, then goes away: each failure names the step, what was expected
// and what came (or why nothing could), and the next test still runs, over a link opened anew.
TEST(ScenarioPeersTest, FailedTestsAreReportedAndTheNextTestRuns) {
  TempDir dir;
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  WriteFileBytes(dir / "s.yaml",
                 "settings:\n  Connection.Mode: 1\n  Connection.ActAsServer: 0\n"
                 "  Connection.SocketPort: " +
                     std::to_string(listener.Port()) +
                     "\n"
                     "tests:\n"
                     "  - name: wrong\n    steps:\n      - send: A[CR]\n      - expect: B[CR]\n"
                     "  - name: lost\n    steps:\n      - send: C[CR]\n      - expect: D[CR]\n"
                     "  - name: right\n    steps:\n      - send: E[CR]\n      - expect: F[CR]\n");
  RunningCli tester(
      Command(dir, "test", {"--json", (dir / "r.json").string(), (dir / "s.yaml").string()}));
  LoopbackSocket device = listener.Accept();
  ASSERT_TRUE(device.valid());
  EXPECT_EQ(device.Read(2), "A\r");
  ASSERT_TRUE(device.Write("X\r"));
  EXPECT_EQ(device.Read(2), "C\r");
  device.Close();
  LoopbackSocket again = listener.Accept();
  ASSERT_TRUE(again.valid());
  EXPECT_EQ(again.Read(2), "E\r");
  ASSERT_TRUE(again.Write("F\r"));
  EXPECT_EQ(tester.Wait(), 1) << tester.Err();
  const std::string out = tester.Out();
  EXPECT_NE(out.find("FAIL  wrong"), std::string::npos) << out;
  EXPECT_NE(out.find("step 2 (" + (dir / "s.yaml").string() + ":9:9): expect \"B[CR]\""),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("arrived:  X[CR]"), std::string::npos) << out;
  EXPECT_NE(out.find("FAIL  lost"), std::string::npos) << out;
  EXPECT_NE(out.find("arrived:  link lost"), std::string::npos) << out;
  EXPECT_NE(out.find("PASS  right"), std::string::npos) << out;
  EXPECT_NE(out.find("1 passed, 2 failed"), std::string::npos) << out;
  EXPECT_NE(ReadFileBytes(dir / "r.json").find("\"state\": \"failed\""), std::string::npos);
}

}  // namespace

}  // namespace linkwright
