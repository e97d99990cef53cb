#include "link/tcp/tcp_transport.h"

#include "config/configuration.h"
#include "link/net/socket_settings.h"
#include "link/net/tls_settings.h"

namespace linkwright {

namespace {

constexpr const char* kServerClosed = "the server closed the connection";

}  // namespace

bool TcpTransport::Close() {
  m_Tcp.Close();
  m_IsOpen = false;
  return true;
}

bool TcpTransport::Send(const ByteString& message) {
  return m_Tcp.Send(message) || Fail(m_Tcp.LastError());
}

bool TcpTransport::EndGathering() {
  return m_Tcp.EndGathering() || Fail(m_Tcp.LastError());
}

std::string TcpTransport::Description() const {
  if (!m_IsOpen) {
    return "TCP ...";
  }
  const std::string tls = m_Tcp.TlsVersion();
  return "TCP " + m_Tcp.PeerText() + (tls.empty() ? "" : " (" + tls + ")");
}

bool TcpTransport::PrepareTls(TlsRole role) {
  const TlsSettings settings = ReadTlsSettings(m_Config);
  if (!settings.enabled) {
    m_Tcp.UseTls(nullptr, {});
    return true;
  }
  std::shared_ptr<boost::asio::ssl::context> context;
  if (Error error = MakeTlsContext(settings, role, context); error.Failed()) {
    return Fail(std::move(error));
  }
  m_Tcp.UseTls(std::move(context), settings.serverName);
  return true;
}

bool TcpServerTransport::Open() {
  uint16_t port = 0;
  if (Error error = ReadSocketPort(m_Config, port); error.Failed()) {
    return Fail(std::move(error));
  }
  m_IsOpen = PrepareTls(TlsRole::kServer) && (m_Tcp.Listen(port) || Fail(m_Tcp.LastError()));
  return m_IsOpen;
}

Arrival TcpServerTransport::TakeWaiting(size_t limit) {
  Arrival arrival;
  bool peerGone = false;
  arrival.bytes = m_Tcp.ReadWaiting(limit, peerGone);
  if (peerGone) {
    m_Tcp.ClosePeer();
  }
  // Taken in after reading, so a peer that closed makes room for one already waiting.
  const TcpLink::AcceptResult accept = m_Tcp.AcceptWaiting();
  arrival.refusedPeers = accept.refused;
  if (accept.accepted) {
    arrival.newPeerAt = arrival.bytes.size();
  }
  for (const std::string& failure : accept.handshakeFailures) {
    arrival.report += (arrival.report.empty() ? "peer refused, " : "; ") + failure;
  }
  return arrival;
}

LinkState TcpServerTransport::State() const {
  if (!m_IsOpen) {
    return LinkState::kTcpServerClosed;
  }
  return m_Tcp.HasPeer() ? LinkState::kTcpServerWithPeer : LinkState::kTcpServerListening;
}

bool TcpClientTransport::Open() {
  uint16_t port = 0;
  if (Error error = ReadSocketPort(m_Config, port); error.Failed()) {
    return Fail(std::move(error));
  }
  m_IsOpen =
      PrepareTls(TlsRole::kClient) &&
      (m_Tcp.Connect(m_Config.GetString(setting::kSocketHost), port) || Fail(m_Tcp.LastError()));
  return m_IsOpen;
}

Arrival TcpClientTransport::TakeWaiting(size_t limit) {
  Arrival arrival;
  bool peerGone = false;
  arrival.bytes = m_Tcp.ReadWaiting(limit, peerGone);
  // A send that failed has dropped the connection too.
  arrival.lost = peerGone || !m_Tcp.HasPeer();
  if (arrival.lost) {
    Fail(ErrorKind::kPeer, kServerClosed);
  }
  return arrival;
}

LinkState TcpClientTransport::State() const {
  return m_IsOpen ? LinkState::kTcpClientOpen : LinkState::kTcpClientClosed;
}

}  // namespace linkwright
