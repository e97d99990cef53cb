#include "link/http/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "scripted_peers.h"
#include "support/loopback_socket.h"

namespace linkwright {

namespace {

struct UrlCase {
  std::string url;
  std::string protocol;
  std::string host;
  int32_t port;
  std::string path;
};

TEST(SplitUrl, SplitsIntoProtocolHostPortAndPath) {
  const std::vector<UrlCase> cases = {
      {"http://dev.local:8080/api/x?q=1", "HTTP", "DEV.LOCAL", 8080, "/api/x?q=1"},
      {"dev.local/api", "HTTP", "DEV.LOCAL", 80, "/api"},
      {"host:8080/api", "HOST", "8080", 80, "/api"},
      {"https://secure.example/Path", "HTTPS", "SECURE.EXAMPLE", 443, "/Path"},
      {"http://[::1]:8080/p", "HTTP", "[::1]", 8080, "/p"},
      {"https://[fe80::a]/x:1", "HTTPS", "[FE80::A]", 443, "/x:1"},
      {"http://127.0.0.1", "HTTP", "127.0.0.1", 80, ""},
      {"http:/single/Slash", "HTTP", "", 80, "/single/Slash"},
      {"http://h:81:82/p", "HTTP", "H", 81, "/p"},
      {"http://h:/p", "HTTP", "H", 0, "/p"},
      {"http://h_x/p", "HTTP", "H", 80, "_x/p"},
      {"", "HTTP", "", 80, ""},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    const SplitUrlResult parts = SplitUrl(c.url);
    EXPECT_EQ(parts.protocol, c.protocol);
    EXPECT_EQ(parts.host, c.host);
    EXPECT_EQ(parts.port, c.port);
    EXPECT_EQ(parts.path, c.path);
  }
}

const std::string kAcceptLines =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
    "application/msword, application/vnd.ms-powerpoint, */*\r\n"
    "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8\r\n"
    "Accept-Language: en-us\r\n"
    "Accept-Encoding: gzip, deflate\r\n";

std::string UrlOf(const TcpScriptedServer& server, const std::string& host,
                  const std::string& path) {
  return "http://" + host + ":" + std::to_string(server.Port()) + path;
}

TEST(HttpExchange, SendsTheGetRequestByteForByte) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\n\r\nfine", AfterResponse::kClose);
  ByteString header;
  ByteString body;
  ASSERT_FALSE(
      HttpExchange(UrlOf(server, "localhost", "/Base/Status?Q=a b"), header, body, 2000).Failed());
  EXPECT_EQ(server.Request(),
            "GET /Base/Status?Q=a b HTTP/1.0\r\n" + kAcceptLines + "Host: LOCALHOST\r\n\r\n");
  EXPECT_EQ(header, "HTTP/1.0 200 OK\r\n\r\n");
  EXPECT_EQ(body, "fine");
}

TEST(HttpExchange, EmptyPathBecomesSlash) {
  TcpScriptedServer server("HTTP/1.0 204 No Content\r\n\r\n", AfterResponse::kClose);
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(UrlOf(server, "127.0.0.1", ""), header, body, 2000).Failed());
  EXPECT_EQ(server.Request(), "GET / HTTP/1.0\r\n" + kAcceptLines + "Host: 127.0.0.1\r\n\r\n");
  EXPECT_TRUE(body.empty());
}

TEST(SendHttpRequest, PostCarriesTypeLengthAgentExtraLinesAndBody) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\n\r\n", AfterResponse::kClose);
  HttpResponse response;
  const ByteString body("a\0b", 3);
  ASSERT_FALSE(SendHttpRequest(UrlOf(server, "127.0.0.1", "/post"), "text/plain", "X-One: 1\r\n",
                               body, response, 2000, std::string())
                   .Failed());
  EXPECT_EQ(server.Request(), "POST /post HTTP/1.0\r\n" + kAcceptLines +
                                  "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0)\r\n"
                                  "Content-Type: text/plain\r\n"
                                  "Content-Length: 3\r\n"
                                  "Host: 127.0.0.1\r\n"
                                  "X-One: 1\r\n"
                                  "\r\n" +
                                  body + "\r\n");
}

TEST(SendHttpRequest, GivenUserAgentIsSentAsItIs) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\n\r\n", AfterResponse::kClose);
  HttpResponse response;
  ASSERT_FALSE(SendHttpRequest(UrlOf(server, "127.0.0.1", "/"), "", "", std::nullopt, response,
                               2000, std::string("probe/1"))
                   .Failed());
  EXPECT_NE(server.Request().find("\r\nUser-Agent: probe/1\r\nHost: 127.0.0.1\r\n"),
            std::string::npos);
}

TEST(HttpExchange, ServerKeepingTheConnectionOpenEndsWithContentLength) {
  TcpScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
                           AfterResponse::kKeepOpen);
  CapturedLog log;
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(UrlOf(server, "127.0.0.1", "/k"), header, body, 5000).Failed());
  EXPECT_EQ(header, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(body, "hello");
  EXPECT_TRUE(log.Has(' ', "... HTTP body read."));
}

TEST(HttpExchange, ServerKeepingTheConnectionOpenWithoutLengthTimesOut) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\n\r\nunbounded", AfterResponse::kKeepOpen);
  CapturedLog log;
  ByteString header = "untouched";
  ByteString body;
  EXPECT_TRUE(HttpExchange(UrlOf(server, "127.0.0.1", "/k"), header, body, 150).Failed());
  EXPECT_EQ(header, "untouched");
  EXPECT_TRUE(log.Has('W', "MySendHTTP() : recv Timeout elapsed (Timeout = 150 msec)"));
  EXPECT_TRUE(log.Has(' ', "<*** no HTTP response "));
}

TEST(HttpExchange, AResponseThatNeverEndsIsCutOffInsteadOfFillingMemory) {
  const std::string header = "HTTP/1.0 200 OK\r\n\r\n";
  TcpScriptedServer server(header + std::string(65 << 20, 'x'), AfterResponse::kKeepOpen);
  CapturedLog log;
  ByteString received = "untouched";
  ByteString body;
  // The time-out bounds the whole response: generous, so that the size limit ends it.
  EXPECT_TRUE(HttpExchange(UrlOf(server, "127.0.0.1", "/stream"), received, body, 120000).Failed());
  EXPECT_EQ(received, "untouched");
  EXPECT_TRUE(
      log.Has('W', "MySendHTTP() : response larger than 67108864 bytes; not read to its end"));
  EXPECT_FALSE(log.Has('W', "MySendHTTP() : recv Timeout elapsed (Timeout = 120000 msec)"));
}

TEST(HttpExchange, SilentServerTimesOutWhileWaitingForTheHeader) {
  TcpScriptedServer server("", AfterResponse::kKeepOpen);
  CapturedLog log;
  ByteString header;
  ByteString body;
  EXPECT_EQ(HttpExchange(UrlOf(server, "127.0.0.1", "/"), header, body, 100).Kind(),
            ErrorKind::kTimeout);
  EXPECT_TRUE(log.Has('W', "MySendHTTP() : recv Timeout elapsed (Timeout = 100 msec)"));
  EXPECT_FALSE(log.Has(' ', "... HTTP headers read."));
  EXPECT_TRUE(log.Has(' ', "<*** no HTTP response "));
}

TEST(HttpExchange, BareLineFeedsEndTheHeader) {
  TcpScriptedServer server("HTTP/1.0 200 OK\nServer: tiny\n\nline one\nline two",
                           AfterResponse::kClose);
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(UrlOf(server, "127.0.0.1", "/"), header, body, 2000).Failed());
  EXPECT_EQ(header, "HTTP/1.0 200 OK\nServer: tiny\n\n");
  EXPECT_EQ(body, "line one\nline two");
}

TEST(HttpExchange, AResponseCutShortIsAFailure) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"HTTP/1.0 200 OK\r\nContent-Ty", "connection closed inside the response header"},
      {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc",
       "connection closed after 3 of 10 body bytes"},
  };
  for (const auto& [response, warning] : cases) {
    SCOPED_TRACE(response);
    TcpScriptedServer server(response, AfterResponse::kClose);
    CapturedLog log;
    ByteString header = "untouched";
    ByteString body;
    EXPECT_TRUE(HttpExchange(UrlOf(server, "127.0.0.1", "/"), header, body, 2000).Failed());
    EXPECT_EQ(header, "untouched");
    EXPECT_TRUE(log.Has('W', "MySendHTTP() : " + warning)) << warning;
    EXPECT_TRUE(log.Has(' ', "<*** no HTTP response "));
  }
}

TEST(HttpExchange, AServerDrippingBytesCannotOutlastTheResponseTimeout) {
  // One byte every 100 ms for two seconds: each byte comes well within the time-out, the whole
  // response does not.
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  std::thread server([&listener] {
    LoopbackSocket peer = listener.Accept();
    peer.ReadUntilQuiet(std::chrono::milliseconds(50));
    bool open = peer.Write("HTTP/1.0 200 OK\r\n\r\n");
    for (int i = 0; i < 20 && open; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      open = peer.Write("x");
    }
  });
  CapturedLog log;
  ByteString header;
  ByteString body;
  const std::string url = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/drip";
  EXPECT_TRUE(HttpExchange(url, header, body, 300).Failed());
  EXPECT_TRUE(log.Has('W', "MySendHTTP() : recv Timeout elapsed (Timeout = 300 msec)"));
  server.join();
}

TEST(HttpExchange, ServerClosingWithoutAnswerIsNoResponse) {
  TcpScriptedServer server("", AfterResponse::kClose, false);
  CapturedLog log;
  ByteString header;
  ByteString body;
  EXPECT_TRUE(HttpExchange(UrlOf(server, "127.0.0.1", "/"), header, body, 2000).Failed());
  EXPECT_TRUE(log.Has(' ', "<*** no HTTP response "));
}

TEST(HttpExchange, LogShowsRequestAndResponse) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\nA: 1\r\n\r\nBODY", AfterResponse::kClose);
  const std::string url = UrlOf(server, "127.0.0.1", "/x");
  CapturedLog log;
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(url, header, body, 2000).Failed());
  const std::vector<std::string> expected = {
      ">*** HTTP request (\"" + url + "\"): ",
      "GET ",
      "/x",
      " HTTP/1.0",
      kAcceptLines.substr(0, kAcceptLines.find("\r\n")),
      "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8",
      "Accept-Language: en-us",
      "Accept-Encoding: gzip, deflate",
      "Host: ",
      "127.0.0.1",
      "... First read HTTP headers ...",
      "... HTTP headers read.",
      "... Then read the HTTP body ...",
      "... HTTP body read.",
      "<*** HTTP response header:",
      "HTTP/1.0 200 OK",
      "A: 1",
      "<*** HTTP response message:",
      "BODY",
      "<*** end of HTTP response",
  };
  std::vector<std::string> texts;
  for (const CapturedLog::Line& line : log.Lines()) {
    EXPECT_EQ(line.level, ' ') << line.text;
    texts.push_back(line.text);
  }
  EXPECT_EQ(texts, expected);
}

TEST(HttpExchange, OnlyHttpAndHttpsAreSpokenAndNothingIsLoggedForOtherSchemes) {
  TcpScriptedServer server("HTTP/1.0 200 OK\r\n\r\n", AfterResponse::kClose);
  CapturedLog log;
  ByteString header;
  ByteString body;
  EXPECT_EQ(
      HttpExchange("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/", header, body, 2000)
          .Kind(),
      ErrorKind::kSetting);
  ASSERT_EQ(log.Lines().size(), 2u);
  EXPECT_EQ(log.Lines()[1].text, "<*** no HTTP response ");
  EXPECT_TRUE(server.Request().empty());
}

TEST(SendHttpRequest, RefusedConnectionFailsWithConnectLine) {
  CapturedLog log;
  HttpResponse response;
  EXPECT_EQ(SendHttpRequest("http://127.0.0.1:" + std::to_string(UnusedTcpPortNumber()) + "/", "",
                            "", std::nullopt, response, 2000, std::nullopt)
                .Kind(),
            ErrorKind::kSystem);
  EXPECT_TRUE(log.Has('E', "connect() failed"));
  EXPECT_TRUE(response.header.empty());
}

TEST(SendHttpRequest, HostThatDoesNotResolveFailsWithConnectLine) {
  CapturedLog log;
  HttpResponse response;
  EXPECT_TRUE(SendHttpRequest("http://no-such-host.invalid/", "", "", std::nullopt, response, 2000,
                              std::nullopt)
                  .Failed());
  EXPECT_TRUE(log.Has('E', "connect() failed"));
}

TEST(SendHttpRequest, PortOutsideTheValidRangeFailsWithConnectLine) {
  CapturedLog log;
  HttpResponse response;
  EXPECT_TRUE(
      SendHttpRequest("http://127.0.0.1:70000/", "", "", std::nullopt, response, 2000, std::nullopt)
          .Failed());
  EXPECT_TRUE(log.Has('E', "connect() failed"));
}

}  // namespace

}  // namespace linkwright
