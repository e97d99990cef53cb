#include "link/tcp/tcp_link.h"

#include <algorithm>
#include <string>

#include "diag/diag_log.h"
#include "link/net/asio_wait.h"
#include "link/net/host_address.h"
#include "link/net/socket_support.h"

namespace linkwright {

using boost::asio::ip::tcp;

namespace {

constexpr int kListenBacklog = 5;

// Gathered bytes that go out at once rather than wait for the end of the gathering: enough
// for hundreds of short replies, little enough to stay in the processor's cache.
constexpr size_t kGatherLimit = 64 << 10;

// A stream's receive buffer, asked for before the connection is made (the window scale is
// agreed then). With it a stream runs at full speed from its start and a polling period holds
// more of it, instead of waiting for the system to grow the buffer. It is asked for only where
// the system grants it whole: a buffer set by hand no longer grows by itself, so a smaller
// grant would slow long streams down.
constexpr int kStreamReceiveBuffer = 4 << 20;

template <typename Socket>
void SizeReceiveBuffer(boost::asio::io_context& io, Socket& socket) {
  tcp::socket probe(io);
  boost::system::error_code error;
  probe.open(tcp::v4(), error);
  probe.set_option(tcp::socket::receive_buffer_size(kStreamReceiveBuffer), error);
  tcp::socket::receive_buffer_size granted;
  probe.get_option(granted, error);
  if (!error && granted.value() >= kStreamReceiveBuffer) {
    socket.set_option(tcp::socket::receive_buffer_size(kStreamReceiveBuffer), error);
  }
}

// A read asks for at least a TLS record's worth of bytes.
constexpr size_t kLeastRead = 16 << 10;

std::string PeerTextOf(const tcp::endpoint& endpoint) {
  return "--> " + EndpointText(endpoint.address(), endpoint.port());
}

}  // namespace

TcpLink::TcpLink() : m_ListenSocket(m_Io) {}

TcpLink::~TcpLink() {
  Close();
}

bool TcpLink::Failed(const char* context, const boost::system::error_code& error,
                     const std::string& what) {
  if (context != nullptr) {
    ReportSocketFailure(context, error);
  }
  return Fail(SocketFailure(what, error));
}

bool TcpLink::Listen(uint16_t port) {
  const std::string what = "cannot listen on TCP port " + std::to_string(port);
  tcp protocol = tcp::v4();
  boost::system::error_code error = OpenBothFamilies(m_ListenSocket, protocol);
  if (!error) {
    m_ListenSocket.set_option(tcp::acceptor::reuse_address(true), error);
  }
  if (!error) {
    // Accepted connections inherit it.
    SizeReceiveBuffer(m_Io, m_ListenSocket);
  }
  if (!error) {
    m_ListenSocket.bind(tcp::endpoint(protocol, port), error);
  }
  if (error) {
    m_ListenSocket.close();
    return Failed("bind()", error, what);
  }
  m_ListenSocket.listen(kListenBacklog, error);
  if (!error) {
    m_ListenSocket.non_blocking(true, error);
  }
  if (error) {
    m_ListenSocket.close();
    return Failed("listen()", error, what);
  }
  return true;
}

bool TcpLink::Connect(const std::string& host, uint16_t port) {
  const std::string what = "cannot connect to " + host + ":" + std::to_string(port);
  tcp::socket socket(m_Io);
  boost::system::error_code error =
      ConnectToHost(m_Io, socket, host, port, kSocketWaitLimit,
                    [this](tcp::socket& opened) { SizeReceiveBuffer(m_Io, opened); });
  if (!error) {
    socket.non_blocking(true, error);
  }
  if (error) {
    return Failed("connect()", error, what);
  }
  auto stream = std::make_unique<NetStream>(m_Io, std::move(socket));
  if (m_TlsContext) {
    const std::string peerName = m_TlsPeerName.empty() ? HostWithoutBrackets(host) : m_TlsPeerName;
    Error handshake = stream->StartTls(m_TlsContext, TlsRole::kClient, peerName, kSocketWaitLimit);
    if (handshake.Failed()) {
      DiagLog('E', "TcpLink::Connect() : %s", handshake.Message().c_str());
      return Fail(handshake.Kind(), what + ": " + handshake.Message());
    }
  }
  TakePeer(std::move(stream));
  return true;
}

void TcpLink::UseTls(std::shared_ptr<boost::asio::ssl::context> context,
                     const std::string& peerName) {
  m_TlsContext = std::move(context);
  m_TlsPeerName = peerName;
}

void TcpLink::TakePeer(std::unique_ptr<NetStream> stream) {
  boost::system::error_code error;
  // Each message, and the replies to each chunk, leave at once instead of waiting for the
  // peer to acknowledge what went before.
  stream->Socket().set_option(tcp::no_delay(true), error);
  tcp::endpoint peer = stream->Socket().remote_endpoint(error);
  m_PeerText = PeerTextOf(peer);
  m_MessageSocket = std::move(stream);
}

// A peer that fails the handshake is closed and written to the log; the server keeps listening.
Error TcpLink::AcceptTls(NetStream& stream) {
  if (!m_TlsContext) {
    return Error();
  }
  Error handshake = stream.StartTls(m_TlsContext, TlsRole::kServer, {}, kSocketWaitLimit);
  if (handshake.Failed()) {
    DiagLog('W', "TcpLink::AcceptWaiting() : peer refused: %s", handshake.Message().c_str());
  }
  return handshake;
}

TcpLink::AcceptResult TcpLink::AcceptWaiting() {
  AcceptResult result;
  if (!m_ListenSocket.is_open()) {
    return result;
  }
  for (;;) {
    tcp::socket socket(m_Io);
    boost::system::error_code error;
    m_ListenSocket.accept(socket, error);
    if (error) {
      return result;
    }
    if (m_MessageSocket) {
      socket.close(error);
      ++result.refused;
      continue;
    }
    socket.non_blocking(true, error);
    if (error) {
      continue;
    }
    const tcp::endpoint peer = socket.remote_endpoint(error);
    auto stream = std::make_unique<NetStream>(m_Io, std::move(socket));
    if (const Error handshake = AcceptTls(*stream); handshake.Failed()) {
      result.handshakeFailures.push_back(EndpointText(peer.address(), peer.port()) + ": " +
                                         handshake.Message());
      continue;
    }
    TakePeer(std::move(stream));
    result.accepted = true;
  }
}

ByteString TcpLink::ReadWaiting(size_t limit, bool& peerGone) {
  ByteString data;
  peerGone = false;
  if (!m_MessageSocket) {
    return data;
  }
  boost::system::error_code error;
  const size_t wanted = std::max<size_t>(limit, 1);
  // One read of what is waiting; with nothing waiting a read is still made, so a closed or
  // failed connection shows itself. TLS hands out at most one record per read, and may hold
  // records it took from the socket, so it reads on into the same buffer while more is there;
  // an end met by such a further read is left for the next call, so the bytes before it are
  // answered first, as on a plain connection.
  const size_t waiting = m_MessageSocket->Socket().available(error);
  data.resize(std::clamp<size_t>(std::max(waiting, kLeastRead), 1, wanted));
  size_t filled = 0;
  for (;;) {
    const size_t before = filled;
    filled += m_MessageSocket->ReadSome(
        boost::asio::buffer(data.data() + filled, data.size() - filled), error);
    if (error && before > 0) {
      error.clear();
      break;
    }
    if (error || !m_MessageSocket->MoreWaiting()) {
      break;
    }
    if (filled == data.size()) {
      if (filled >= wanted) {
        break;
      }
      data.resize(std::min(wanted, filled * 2));
    }
  }
  data.resize(filled);
  peerGone = error && error != boost::asio::error::would_block;
  return data;
}

bool TcpLink::Send(const ByteString& bytes) {
  if (!m_MessageSocket) {
    return Fail(ErrorKind::kState, "no TCP peer connected");
  }
  if (!m_Gathering) {
    return SendNow(bytes);
  }
  m_Gathered += bytes;
  return m_Gathered.size() < kGatherLimit || SendGathered();
}

bool TcpLink::EndGathering() {
  m_Gathering = false;
  return m_Gathered.empty() || SendGathered();
}

// Only called with a peer: closing the peer drops what was gathered.
bool TcpLink::SendGathered() {
  const bool sent = SendNow(m_Gathered);
  m_Gathered.clear();
  return sent;
}

bool TcpLink::SendNow(const ByteString& bytes) {
  const boost::system::error_code error =
      m_MessageSocket->WriteAll(boost::asio::buffer(bytes), kSocketWaitLimit);
  if (error) {
    Failed(nullptr, error, "TCP send failed");
    ClosePeer();
    return false;
  }
  return true;
}

bool TcpLink::ClosePeer() {
  if (!m_MessageSocket) {
    return false;
  }
  m_MessageSocket->Close();
  m_MessageSocket.reset();
  m_PeerText.clear();
  // What was gathered for this peer must not reach the next one.
  m_Gathered.clear();
  return true;
}

std::vector<WaitHandle> TcpLink::WaitHandles() {
  std::vector<WaitHandle> handles;
  if (m_ListenSocket.is_open()) {
    handles.push_back(m_ListenSocket.native_handle());
  }
  if (m_MessageSocket) {
    handles.push_back(m_MessageSocket->Socket().native_handle());
  }
  return handles;
}

void TcpLink::Close() {
  ClosePeer();
  boost::system::error_code ignored;
  m_ListenSocket.close(ignored);
}

}  // namespace linkwright
