#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/message_file.h"
#include "document/message_table.h"
#include "support/loopback_socket.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

// `send --file FILE ROW...` against a TCP listener of the test: the program connects, sends the
// rows through SendRow and closes; the test then takes the connection and reads what came.
class SendRowsTest : public ::testing::Test {
 protected:
  SendRowsTest() {
    MessageTable table;
    table.LoadRows({{"ONE[CR]", "", 0, ""}, {"TWO[LF]", "", 1, "x"}, {"", "empty", 0, ""}});
    const Error saved = SaveMessageFile(table, m_Dir / "rows.xml");
    EXPECT_FALSE(saved.Failed()) << saved.Message();
  }

  ProcessResult SendRows(const std::vector<std::string>& rows) const {
    std::vector<std::string> args{"--config",
                                  (m_Dir / "linkwright.cfg").string(),
                                  "send",
                                  "--set",
                                  "Connection.Mode=1",
                                  "--set",
                                  "Connection.ActAsServer=0",
                                  "--set",
                                  "Connection.SocketPort=" + std::to_string(m_Listener.Port()),
                                  "--file",
                                  (m_Dir / "rows.xml").string()};
    args.insert(args.end(), rows.begin(), rows.end());
    return RunCli(args);
  }

  std::string Received() {
    LoopbackSocket peer = m_Listener.Accept();
    return peer.valid() ? peer.ReadUntilQuiet(std::chrono::milliseconds(200)) : "no connection";
  }

  static size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }

  TempDir m_Dir;
  LoopbackSocket m_Listener = LoopbackSocket::TcpListener();
};

TEST_F(SendRowsTest, SendsTheNamedRowsInOrder) {
  const ProcessResult result = SendRows({"2", "1", "2"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "<-- TWO[LF]\n<-- ONE[CR]\n<-- TWO[LF]\n");
  EXPECT_EQ(Received(), "TWO\nONE\rTWO\n");
}

TEST_F(SendRowsTest, ARowWithoutMessageOrOutsideTheTableIsAFailedSend) {
  struct Case {
    const char* row;
    const char* failure;
  };
  for (const Case& c : {Case{"3", "linkwright-cli: send failed: row 3: no message"},
                        Case{"0", "linkwright-cli: send failed: no row 0 (rows are 1 … 99)"},
                        Case{"100", "linkwright-cli: send failed: no row 100 (rows are 1 … 99)"},
                        Case{"99999999999",
                             "linkwright-cli: send failed: no row 99999999999 "
                             "(rows are 1 … 99)"}}) {
    const ProcessResult result = SendRows({"1", c.row, "2"});
    EXPECT_EQ(result.exitCode, 1) << c.row;
    EXPECT_NE(result.err.find(std::string(c.failure) + "\n"), std::string::npos) << result.err;
    EXPECT_EQ(Received(), "ONE\rTWO\n") << "the other rows still go out";
  }
}

TEST_F(SendRowsTest, ARowArgumentThatIsNoNumberIsAUsageError) {
  const ProcessResult result = SendRows({"1", "two"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("'two' is not a row number"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(SendRowsTest, AMessageFileThatDoesNotLoadFailsBeforeTheLinkOpens) {
  const ProcessResult result =
      RunCli({"--config", (m_Dir / "linkwright.cfg").string(), "send", "--set", "Connection.Mode=1",
              "--set", "Connection.ActAsServer=0", "--set",
              "Connection.SocketPort=" + std::to_string(m_Listener.Port()), "--file",
              (m_Dir / "missing.xml").string(), "1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Lines(result.err), 1u) << result.err;
  EXPECT_NE(result.err.find("missing.xml"), std::string::npos);
  EXPECT_FALSE(m_Listener.Accept(std::chrono::milliseconds(200)).valid());
}

}  // namespace

}  // namespace linkwright
