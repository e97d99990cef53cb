#include "link/http/http_client.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>

#include <memory>

#include <boost/asio/buffer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "diag/diag_log.h"
#include "link/http/http_response_reader.h"
#include "link/net/asio_wait.h"
#include "link/net/host_address.h"
#include "link/net/net_stream.h"
#include "link/net/socket_support.h"
#include "link/transport.h"

namespace linkwright {

using boost::asio::ip::tcp;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kSecureProtocol = "HTTPS";
constexpr int32_t kSecurePort = 443;
constexpr const char* kDefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0)";
constexpr size_t kBodyChunk = 1023;
// A decimal port is read no further than this; any larger value is as invalid as 99999.
constexpr int32_t kPortCeiling = 1000000;

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return text;
}

bool IsHostChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == ':';
}

// The decimal number at the start of `text` (0 when there is none), like atoi.
int32_t LeadingDecimal(std::string_view text) {
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value >= kPortCeiling) {
      break;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

// The time from now until `deadline`; zero once it has passed.
std::chrono::milliseconds TimeLeft(Clock::time_point deadline) {
  return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                  std::chrono::milliseconds(0));
}

// Connects to one of the host's addresses before `deadline`, and for HTTPS runs the TLS
// handshake too; fails with the reason when either does not succeed.
Error Connect(boost::asio::io_context& io, std::unique_ptr<NetStream>& stream,
              const SplitUrlResult& parts, const TlsSettings& tls, Clock::time_point deadline) {
  boost::system::error_code error;
  if (parts.port <= 0 || parts.port > 0xFFFF) {
    error = boost::asio::error::invalid_argument;
  }
  tcp::socket socket(io);
  if (!error) {
    error = ConnectToHost(io, socket, parts.host, static_cast<uint16_t>(parts.port),
                          TimeLeft(deadline));
  }
  if (!error) {
    socket.non_blocking(true, error);
  }
  if (error) {
    DiagLog('E', "connect() failed");
    LogSocketFailure(error);
    return SocketFailure("cannot connect to " + parts.host, error);
  }
  stream = std::make_unique<NetStream>(io, std::move(socket));
  if (parts.protocol != kSecureProtocol) {
    return {};
  }
  std::shared_ptr<boost::asio::ssl::context> context;
  Error failed = MakeTlsContext(tls, TlsRole::kClient, context);
  if (!failed.Failed()) {
    const std::string peerName =
        tls.serverName.empty() ? LowerAscii(HostWithoutBrackets(parts.host)) : tls.serverName;
    failed = stream->StartTls(std::move(context), TlsRole::kClient, peerName, TimeLeft(deadline));
  }
  if (failed.Failed()) {
    DiagLog('E', "MySendHTTP() : %s", failed.Message().c_str());
    return {failed.Kind(), "cannot connect to " + parts.host + ": " + failed.Message()};
  }
  return {};
}

// Sends the pieces of a request, each with a send call of its own, and traces them. All sends
// share one deadline, so a server that never reads cannot hold the exchange beyond it. Send
// failures are not checked: they show as a missing response.
class PieceSender {
 public:
  PieceSender(NetStream& stream, Clock::time_point deadline)
      : m_Stream(stream), m_Deadline(deadline) {}

  void operator()(std::string_view piece) const {
    const int length = static_cast<int>(piece.size());
    DiagLog(' ', "%*.*s", length, length, piece.data());
    m_Stream.WriteAll(boost::asio::buffer(piece.data(), piece.size()), TimeLeft(m_Deadline));
  }

 private:
  NetStream& m_Stream;
  Clock::time_point m_Deadline;
};

void SendRequest(const PieceSender& send, const SplitUrlResult& parts,
                 const std::string& contentType, const std::string& extraHeaderLines,
                 const std::optional<ByteString>& body,
                 const std::optional<std::string>& userAgent) {
  send(body ? "POST " : "GET ");
  send(parts.path.empty() ? "/" : parts.path);
  send(" HTTP/1.0");
  send("\r\n");
  send(
      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
      "application/vnd.ms-excel, application/msword, application/vnd.ms-powerpoint, "
      "*/*\r\n");
  send(
      "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/"
      "plain;q=0.8\r\n");
  send("Accept-Language: en-us\r\n");
  send("Accept-Encoding: gzip, deflate\r\n");
  if (userAgent) {
    send("User-Agent: ");
    send(userAgent->empty() ? kDefaultUserAgent : *userAgent);
    send("\r\n");
  }
  if (!contentType.empty()) {
    send("Content-Type: ");
    send(contentType);
    send("\r\n");
  }
  if (body && !body->empty()) {
    send("Content-Length: " + std::to_string(body->size()) + "\r\n");
  }
  send("Host: ");
  send(parts.host);
  send("\r\n");
  if (!extraHeaderLines.empty()) {
    send(extraHeaderLines);
  }
  send("\r\n");
  if (body && !body->empty()) {
    send(*body);
    send("\r\n");
  }
}

enum class ReadResult { kData, kEndOfStream, kTimedOut, kCancelled };

// What a response may bring before the exchange gives up on it: a server that streams without
// end must neither exhaust memory nor keep the caller waiting for ever.
constexpr size_t kMaxResponseBytes = size_t{64} << 20;

bool IsTooLarge(const HttpResponseReader& reader) {
  return reader.Header().size() + reader.Body().size() > kMaxResponseBytes;
}

// The time the response may take: `timeoutMilliseconds` from the end of the request, for the
// whole response rather than for each read, so a server that drips bytes cannot keep the
// exchange alive. `cancelled`, when given, is asked at least every kCancelCheckPeriod and ends
// the wait when it says stop.
struct ResponseWait {
  int32_t timeoutMilliseconds;
  Clock::time_point deadline;
  const std::function<bool()>& cancelled;
};

// Waits until the deadline for data, in slices between which the cancel check is asked: kData
// when data (or the end of the stream) is waiting, kEndOfStream when the wait failed.
ReadResult WaitForData(tcp::socket& socket, const ResponseWait& wait) {
  for (std::chrono::milliseconds left = TimeLeft(wait.deadline); left.count() > 0;
       left = TimeLeft(wait.deadline)) {
    if (wait.cancelled && wait.cancelled()) {
      return ReadResult::kCancelled;
    }
    const std::chrono::milliseconds slice =
        wait.cancelled ? std::min(left, kCancelCheckPeriod) : left;
    boost::system::error_code error;
    switch (WaitReadable(socket.native_handle(), static_cast<int32_t>(slice.count()), error)) {
      case WaitOutcome::kReady:
        return ReadResult::kData;
      case WaitOutcome::kFailed:
        return ReadResult::kEndOfStream;
      case WaitOutcome::kTimedOut:
        break;
    }
  }
  return ReadResult::kTimedOut;
}

// Hands what one read brings to the reader, waiting until the deadline for it. A failed wait
// or read ends the stream, as the server closing it does. The read comes before the wait:
// TLS may hold decrypted bytes while the socket has nothing new.
ReadResult ReadSome(NetStream& stream, HttpResponseReader& reader, const ResponseWait& wait) {
  std::array<char, kBodyChunk> chunk;
  for (;;) {
    boost::system::error_code error;
    const size_t received = stream.ReadSome(boost::asio::buffer(chunk), error);
    if (received > 0) {
      reader.Take(std::string_view(chunk.data(), received));
      return ReadResult::kData;
    }
    if (error != boost::asio::error::would_block) {
      return ReadResult::kEndOfStream;
    }
    const ReadResult waited = WaitForData(stream.Socket(), wait);
    if (waited != ReadResult::kData) {
      return waited;
    }
  }
}

// Fails with `reason`, which the "W" line gives too.
Error ResponseFailure(ErrorKind kind, const std::string& reason) {
  DiagLog('W', "MySendHTTP() : %s\n", reason.c_str());
  return {kind, reason};
}

// Whether the response came whole; what is missing when not. A server that closes in the middle
// of the header, or before the body length it announced, has failed: what came is not the answer
// it meant to give.
Error CheckWhole(const HttpResponseReader& reader) {
  if (IsTooLarge(reader)) {
    return ResponseFailure(ErrorKind::kPeer, "response larger than " +
                                                 std::to_string(kMaxResponseBytes) +
                                                 " bytes; not read to its end");
  }
  if (!reader.HeaderComplete()) {
    return ResponseFailure(ErrorKind::kPeer, "connection closed inside the response header");
  }
  if (reader.ContentLength() && !reader.BodyComplete()) {
    return ResponseFailure(ErrorKind::kPeer,
                           "connection closed after " + std::to_string(reader.Body().size()) +
                               " of " + std::to_string(*reader.ContentLength()) + " body bytes");
  }
  return {};
}

// What ended a read that was not the stream's end, as the "W" line says it.
Error WaitFailure(ReadResult last, int32_t timeoutMilliseconds) {
  if (last == ReadResult::kCancelled) {
    return ResponseFailure(ErrorKind::kStopped, "stopped while waiting for the response");
  }
  return ResponseFailure(ErrorKind::kTimeout, "recv Timeout elapsed (Timeout = " +
                                                  std::to_string(timeoutMilliseconds) + " msec)");
}

// Reads the header, then the body; succeeds when the response ended whole (server closed, or the
// announced body length came), fails when the time ran out or the response was cut short.
// `response` gets what was read in either case.
Error ReadResponse(NetStream& socket, HttpResponse& response, const ResponseWait& wait) {
  HttpResponseReader reader;
  ReadResult last = ReadResult::kData;
  DiagLog(' ', "... First read HTTP headers ...\n");
  while (last == ReadResult::kData && !reader.HeaderComplete() && !IsTooLarge(reader)) {
    last = ReadSome(socket, reader, wait);
  }
  if (last == ReadResult::kData || last == ReadResult::kEndOfStream) {
    DiagLog(' ', "... HTTP headers read.\n");
    DiagLog(' ', "... Then read the HTTP body ...\n");
  }
  while (last == ReadResult::kData && !reader.BodyComplete() && !IsTooLarge(reader)) {
    last = ReadSome(socket, reader, wait);
  }
  response.header = reader.Header();
  response.body = reader.Body();
  if (last == ReadResult::kTimedOut || last == ReadResult::kCancelled) {
    return WaitFailure(last, wait.timeoutMilliseconds);
  }
  if (Error cut = CheckWhole(reader); cut.Failed()) {
    return cut;
  }
  DiagLog(' ', "... HTTP body read.\n");
  return {};
}

}  // namespace

SplitUrlResult SplitUrl(const std::string& url) {
  std::string upper = url;
  for (char& c : upper) {
    c = UpperAscii(c);
  }
  SplitUrlResult parts;
  size_t rest = 0;
  const size_t colon = upper.find(':');
  if (colon == std::string::npos) {
    parts.protocol = "HTTP";
  } else {
    parts.protocol = upper.substr(0, colon);
    rest = colon + 1;
  }
  if (upper.compare(rest, 2, "//") == 0) {
    rest += 2;
  }
  // An IPv6 address comes in brackets, which stay part of the host (the Host line needs them).
  size_t hostEnd = rest;
  if (hostEnd < upper.size() && upper[hostEnd] == '[') {
    const size_t close = upper.find(']', hostEnd);
    hostEnd = close == std::string::npos ? upper.size() : close + 1;
  }
  const size_t portSearchFrom = hostEnd - rest;
  while (hostEnd < upper.size() && IsHostChar(upper[hostEnd])) {
    ++hostEnd;
  }
  parts.host = upper.substr(rest, hostEnd - rest);
  parts.path = url.substr(hostEnd);
  if (parts.protocol == kSecureProtocol) {
    parts.port = kSecurePort;
  }
  const size_t portColon = parts.host.find(':', portSearchFrom);
  if (portColon != std::string::npos) {
    parts.port = LeadingDecimal(std::string_view(parts.host).substr(portColon + 1));
    parts.host.resize(portColon);
  }
  return parts;
}

Error SendHttpRequest(const std::string& url, const std::string& contentType,
                      const std::string& extraHeaderLines, const std::optional<ByteString>& body,
                      HttpResponse& response, int32_t timeoutMilliseconds,
                      const std::optional<std::string>& userAgent,
                      const std::function<bool()>& cancelled, const TlsSettings& tls) {
  const SplitUrlResult parts = SplitUrl(url);
  if (parts.protocol != "HTTP" && parts.protocol != kSecureProtocol) {
    return {ErrorKind::kSetting, "only HTTP and HTTPS are spoken, not " + parts.protocol};
  }
  boost::asio::io_context io;
  std::unique_ptr<NetStream> stream;
  // Connect and request share one deadline, the bound the TCP link uses for its connect and send.
  const Clock::time_point requestDeadline = Clock::now() + kSocketWaitLimit;
  if (Error failed = Connect(io, stream, parts, tls, requestDeadline); failed.Failed()) {
    return failed;
  }
  // The request goes out in many small pieces; without this each would wait for the peer's
  // acknowledgement of the previous one.
  boost::system::error_code ignored;
  stream->Socket().set_option(tcp::no_delay(true), ignored);
  SendRequest(PieceSender(*stream, requestDeadline), parts, contentType, extraHeaderLines, body,
              userAgent);
  return ReadResponse(*stream, response,
                      {timeoutMilliseconds,
                       Clock::now() + std::chrono::milliseconds(timeoutMilliseconds), cancelled});
}

Error HttpExchange(const std::string& url, ByteString& header, ByteString& body,
                   int32_t timeoutMilliseconds, const std::optional<std::string>& userAgent,
                   const std::function<bool()>& cancelled, const TlsSettings& tls) {
  DiagLog(' ', ">*** HTTP request (\"%s\"): \n\r", url.c_str());
  HttpResponse response;
  Error error = SendHttpRequest(url, std::string(), std::string(), std::nullopt, response,
                                timeoutMilliseconds, userAgent, cancelled, tls);
  if (!error.Failed() && response.header.empty()) {
    error = Error(ErrorKind::kPeer, "the response has no header");
  }
  if (error.Failed()) {
    DiagLog(' ', "<*** no HTTP response \n\r");
    return error;
  }
  header = response.header;
  body = response.body;
  DiagLog(' ', "<*** HTTP response header:\n\r");
  DiagLog(' ', "%s\n\r", header.c_str());
  DiagLog(' ', "<*** HTTP response message:\n\r");
  DiagLog(' ', "%s\n\r", body.c_str());
  DiagLog(' ', "<*** end of HTTP response\n\r");
  return {};
}

}  // namespace linkwright
