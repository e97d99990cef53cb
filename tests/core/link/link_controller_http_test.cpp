#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link_controller_fixture.h"
#include "support/background_command.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

// python3's http.server on 127.0.0.1, serving a folder with base/x holding "hello"; its
// request log goes to a file.
class HttpLinkTest : public LinkControllerTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_Dir / "base");
    WriteFileBytes(m_Dir / "base" / "x", "hello");
    m_Port = UnusedTcpPortNumber();
    m_Server = std::make_unique<BackgroundCommand>(
        "exec python3 -m http.server " + std::to_string(m_Port) +
        " --bind 127.0.0.1 --directory '" + m_Dir.path().string() + "' 2>'" +
        (m_Dir / "requests.log").string() + "'");
    ASSERT_TRUE(WaitUntil([this] { return LoopbackSocket::TcpConnect(m_Port).valid(); }))
        << "http.server did not start";
    Set(setting::kMode, "3");
    // The time-out covers the whole response; a busy machine may keep http.server slow.
    Set(setting::kResponseTimeout, "10000");
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_Port) + path;
  }

  bool Logged(const std::string& requestLine) const {
    return WaitUntil([this, &requestLine] {
      return ReadFileBytes(m_Dir / "requests.log").find("\"" + requestLine + "\"") !=
             std::string::npos;
    });
  }

  TempDir m_Dir;
  uint16_t m_Port = 0;
  std::unique_ptr<BackgroundCommand> m_Server;
};

TEST_F(HttpLinkTest, SendRequestsThePathAndTracesHeaderEmptyLineAndBody) {
  Set(setting::kHttpUrl, Url("/base"));
  ASSERT_TRUE(m_Session.OpenConnection());
  ASSERT_TRUE(m_Session.SendMessage("x")) << m_Session.LastError().Message();
  EXPECT_TRUE(Logged("GET /base/x HTTP/1.0"));
  EXPECT_EQ(m_FrontEnd.trace.rfind("HTTP/1.0 200 OK[CR][LF]", 0), 0u) << m_FrontEnd.trace;
  EXPECT_TRUE(m_FrontEnd.trace.ends_with("[CR][LF][CR][LF]\r\n\r\nhello\r\n")) << m_FrontEnd.trace;
  EXPECT_EQ(m_FrontEnd.trace.find("<--"), std::string::npos) << "the request is not traced";
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");
}

TEST_F(HttpLinkTest, NoSecondSlashWhenEitherSideBringsOne) {
  ASSERT_TRUE(m_Session.OpenConnection());
  Set(setting::kHttpUrl, Url("/base/"));
  ASSERT_TRUE(m_Session.SendMessage("x"));
  Set(setting::kHttpUrl, Url("/base"));
  ASSERT_TRUE(m_Session.SendMessage("/x"));
  Set(setting::kHttpUrl, Url(""));
  ASSERT_TRUE(m_Session.SendMessage(""));
  EXPECT_TRUE(Logged("GET / HTTP/1.0"));
  std::string log = ReadFileBytes(m_Dir / "requests.log");
  EXPECT_EQ(log.find("//"), std::string::npos) << log;
  EXPECT_NE(log.find("GET /base/x HTTP/1.0"), log.rfind("GET /base/x HTTP/1.0")) << log;
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 3");
}

TEST_F(HttpLinkTest, ErrorStatusIsStillAnAnswer) {
  Set(setting::kHttpUrl, Url("/base"));
  ASSERT_TRUE(m_Session.OpenConnection());
  ASSERT_TRUE(m_Session.SendMessage("missing"));
  EXPECT_TRUE(Logged("GET /base/missing HTTP/1.0"));
  EXPECT_EQ(m_FrontEnd.trace.rfind("HTTP/1.0 404 ", 0), 0u) << m_FrontEnd.trace;
}

TEST_F(LinkControllerTest, HttpWithoutServerFailsAndTracesNothing) {
  Set(setting::kMode, "3");
  uint16_t port = UnusedTcpPortNumber();
  Set(setting::kHttpUrl, "http://127.0.0.1:" + std::to_string(port) + "/base");
  ASSERT_TRUE(m_Session.OpenConnection());
  EXPECT_FALSE(m_Session.SendMessage("x"));
  EXPECT_EQ(m_Session.LastError().Message(),
            "no HTTP response from http://127.0.0.1:" + std::to_string(port) + "/base/x");
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
}

TEST_F(LinkControllerTest, HttpStopsWaitingForTheResponseWhenTheMonitorSaysSo) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  const std::string url = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/x";
  Set(setting::kMode, "3");
  Set(setting::kHttpUrl, url);
  Set(setting::kResponseTimeout, "5000");
  int asked = 0;
  m_Link.SetTransferMonitor({nullptr, [&asked] { return ++asked > 1; }});
  ASSERT_TRUE(m_Session.OpenConnection());
  EXPECT_FALSE(m_Session.SendMessage(""));
  EXPECT_EQ(m_Session.LastError().Message(),
            "stopped while waiting for an HTTP response from " + url);
  EXPECT_EQ(listener.Accept().Read(10), "GET /x HTT");
}

}  // namespace

}  // namespace linkwright
