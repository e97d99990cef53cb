#include <gtest/gtest.h>

#include <string>

#include "support/loopback_socket.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

// A file that cannot run is a usage error with its place, and nothing reaches the link: the
// listener of the scenario's port never sees a connection.
TEST(TestCommandTest, ABadFileEndsWithExitTwoBeforeAnyByteIsSent) {
  TempDir dir;
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  const std::string link =
      "settings:\n  Connection.Mode: 1\n  Connection.ActAsServer: 0\n"
      "  Connection.SocketPort: " +
      std::to_string(listener.Port()) + "\n";
  const std::pair<std::string, std::string> cases[] = {
      {link + "tests:\n  - name: t\n    steps:\n      - send: A\n      - fly: 1\n",
       "second.yaml:9:9: unknown step 'fly'"},
      {link + "messages: absent.xml\ntests: []\n", "second.yaml:5:11: "},
  };
  WriteFileBytes(dir / "first.yaml", link + "tests:\n  - name: t\n    steps:\n      - send: A\n");
  for (const auto& [text, says] : cases) {
    WriteFileBytes(dir / "second.yaml", text);
    const ProcessResult result =
        RunCli({"--config", (dir / "cfg").string(), "test", (dir / "first.yaml").string(),
                (dir / "second.yaml").string()});
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(listener.Accept(std::chrono::milliseconds(50)).valid());
  }
}

}  // namespace

}  // namespace linkwright
