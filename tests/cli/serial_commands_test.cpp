#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/pty_pair.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// The console on end a of a pseudo-terminal pair, with a settings file of its own.
class SerialCommandsTest : public ::testing::Test {
 protected:
  SerialCommandsTest() {
    WriteFileBytes(Config(), "[Connection]\nMode=0\nCommConfig=" + m_Pty.a() + ":9600,N,8,1\n");
  }

  std::string Config() const { return (m_Dir / "linkwright.cfg").string(); }

  TempDir m_Dir;
  PtyPair m_Pty;
};

TEST_F(SerialCommandsTest, ControlLinesAPseudoTerminalRefusesAreShownAndTheTextStillGoes) {
  ASSERT_TRUE(m_Pty.ready());
  PtyEnd peer(m_Pty.b());
  const ProcessResult result =
      RunCli({"--config", Config(), "send", "--dtr", "pulse:10", "--break", "10", "HELLO"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("linkwright-cli: DTR pulse 10 ms: " + m_Pty.a() +
                            " has no modem lines (a pseudo-terminal has none)\n"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(peer.Read(5, milliseconds(2000)), "HELLO");
}

TEST_F(SerialCommandsTest, LineOptionsTakeOnlyTheirForms) {
  const ProcessResult result = RunCli({"--config", Config(), "send", "--rts", "pulse", "X"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("'pulse' is not on, off or pulse:MS (MS 1 … 10000)"), std::string::npos)
      << result.err;
}

TEST_F(SerialCommandsTest, PortsListsTheConfiguredPseudoTerminal) {
  ASSERT_TRUE(m_Pty.ready());
  const ProcessResult result = RunCli({"--config", Config(), "ports"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find(m_Pty.a() + "  may open: yes\n"), std::string::npos) << result.out;
}

// As root every open succeeds, so the check runs the console as nobody on a device whose
// owner, group and mode the test sets.
TEST_F(SerialCommandsTest, ARefusedOpenTellsWhichGroupToJoin) {
  const group* dialout = ::getgrnam("dialout");
  if (::geteuid() != 0 || dialout == nullptr || !std::filesystem::exists("/usr/bin/setpriv")) {
    GTEST_SKIP() << "needs root, the group dialout and setpriv to drop privileges";
  }
  ASSERT_TRUE(m_Pty.ready());
  const std::string device = std::filesystem::canonical(m_Pty.a()).string();
  ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
  ASSERT_EQ(::chmod(m_Dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(m_Pty.dir().path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(Config().c_str(), 0644), 0);
  const ProcessResult result =
      RunProgram("/usr/bin/setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                      LINKWRIGHT_CLI_PATH, "--config", Config(), "send", "X"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find("cannot open " + m_Pty.a() +
                            ": Permission denied. It belongs to "
                            "root:dialout with mode 0660. You (nobody) are not in group dialout: "
                            "run `sudo usermod -a -G dialout nobody`, then log out and in again"),
            std::string::npos)
      << result.err;
}

}  // namespace

}  // namespace linkwright
