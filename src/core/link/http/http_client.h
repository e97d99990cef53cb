#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "byte_string.h"
#include "error.h"
#include "link/net/tls_settings.h"

namespace linkwright {

// A URL split into its parts. Protocol and host come out upper-cased; the path keeps the case
// it was written in and includes any query text.
struct SplitUrlResult {
  std::string protocol;
  std::string host;
  std::string path;
  int32_t port = 80;
};

// Splits "[protocol:][//]host[:port][path]". Without a colon the protocol is "HTTP"; the host is
// the longest run of letters, digits, '-', '.' and ':', or an IPv6 address in brackets (kept
// with them); the port defaults to 80, for HTTPS to 443.
SplitUrlResult SplitUrl(const std::string& url);

// Header and body of an HTTP response, as received.
struct HttpResponse {
  ByteString header;
  ByteString body;
};

// Sends one HTTP/1.0 request (GET, or POST when a body is given) and reads the response: the
// header up to and including the line feed that closes an empty line, then the body until the
// server closes the connection or, when the header carries a Content-Length, until that many
// body bytes came. Connecting and sending the request may take 5 s together (kSocketWaitLimit);
// `timeoutMilliseconds` then bounds the whole response, however the server paces its bytes. An
// empty content type or extra header text adds no line; `extraHeaderLines` must carry its own
// line ends. A user agent that is given but empty sends a default one. `cancelled`, when given,
// is asked while the response is awaited (see kCancelCheckPeriod) and ends the exchange when
// it says stop. An HTTPS URL is fetched over TLS set up by `tls` (its "enabled" is not asked).
// Fails for a protocol other than HTTP or HTTPS (kSetting), a failed TLS handshake (kPeer,
// saying why), no connection (kSystem, or
// kTimeout), the time running out (kTimeout), a stop (kStopped), or the server closing inside
// the header or before the announced body length (kPeer); what was read so far stays in
// `response`.
Error SendHttpRequest(const std::string& url, const std::string& contentType,
                      const std::string& extraHeaderLines, const std::optional<ByteString>& body,
                      HttpResponse& response, int32_t timeoutMilliseconds,
                      const std::optional<std::string>& userAgent,
                      const std::function<bool()>& cancelled = {}, const TlsSettings& tls = {});

// A GET of `url` with the request and response written to the diagnostic log. Succeeds only
// when the exchange did and a non-empty header came back; then `header` and `body` hold them.
Error HttpExchange(const std::string& url, ByteString& header, ByteString& body,
                   int32_t timeoutMilliseconds,
                   const std::optional<std::string>& userAgent = std::nullopt,
                   const std::function<bool()>& cancelled = {}, const TlsSettings& tls = {});

}  // namespace linkwright
