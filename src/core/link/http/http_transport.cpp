#include "link/http/http_transport.h"

#include <utility>

#include "config/configuration.h"
#include "link/http/http_client.h"

namespace linkwright {

namespace {

// The configured URL with the message appended as its path, with one slash between them
// unless either side already brings one.
std::string JoinedUrl(const std::string& base, const ByteString& message) {
  std::string url = base;
  if (!url.empty() && url.back() != '/' && !message.empty() && message.front() != '/') {
    url += '/';
  }
  return url + message;
}

}  // namespace

bool HttpTransport::Open() {
  m_IsOpen = true;
  return true;
}

bool HttpTransport::Close() {
  m_IsOpen = false;
  return true;
}

bool HttpTransport::Send(const ByteString& message) {
  const std::string url = JoinedUrl(m_Config.GetString(setting::kHttpUrl), message);
  ByteString header;
  ByteString body;
  m_Reply.clear();
  const Error error = HttpExchange(url, header, body, m_Config.GetInt(setting::kResponseTimeout),
                                   std::nullopt, Monitor().cancelled, ReadTlsSettings(m_Config));
  if (error.Failed()) {
    // Over TLS the reason matters to the user (a certificate refused, a name that does not
    // match), so it is said.
    const bool secure = SplitUrl(url).protocol == "HTTPS";
    return FailExchange(
        "an HTTP response from " + url,
        {error.Kind(), "no HTTP response from " + url + (secure ? ": " + error.Message() : "")});
  }
  m_Reply = {std::move(header), ByteString(), std::move(body)};
  return true;
}

std::vector<ByteString> HttpTransport::TakeReply() {
  return std::exchange(m_Reply, {});
}

LinkState HttpTransport::State() const {
  return m_IsOpen ? LinkState::kHttpOpen : LinkState::kHttpClosed;
}

}  // namespace linkwright
