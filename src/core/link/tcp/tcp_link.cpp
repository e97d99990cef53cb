#include "link/tcp/tcp_link.h"

#include <algorithm>
#include <string>

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>

#include "diag/diag_log.h"
#include "link/net/asio_wait.h"
#include "link/net/socket_support.h"

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

std::string EndpointText(const tcp::endpoint& endpoint) {
  return "--> " + endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
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
  boost::system::error_code error;
  m_ListenSocket.open(tcp::v4(), error);
  if (!error) {
    m_ListenSocket.set_option(tcp::acceptor::reuse_address(true), error);
  }
  if (!error) {
    // Accepted connections inherit it.
    SizeReceiveBuffer(m_Io, m_ListenSocket);
  }
  if (!error) {
    m_ListenSocket.bind(tcp::endpoint(boost::asio::ip::address_v4::any(), port), error);
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
  boost::system::error_code error;
  tcp::resolver resolver(m_Io);
  auto addresses = resolver.resolve(tcp::v4(), host, std::to_string(port), error);
  if (error) {
    return Failed("connect()", error, what);
  }
  tcp::socket socket(m_Io);
  tcp::endpoint target = addresses.begin()->endpoint();
  socket.open(tcp::v4(), error);
  if (!error) {
    SizeReceiveBuffer(m_Io, socket);
    error = RunWithin(
        m_Io, kSocketWaitLimit,
        [&socket, &target](auto handler) { socket.async_connect(target, std::move(handler)); },
        [&socket] { socket.close(); });
  }
  if (!error) {
    socket.non_blocking(true, error);
  }
  if (error) {
    return Failed("connect()", error, what);
  }
  TakePeer(std::move(socket));
  return true;
}

void TcpLink::TakePeer(tcp::socket socket) {
  boost::system::error_code error;
  tcp::endpoint peer = socket.remote_endpoint(error);
  m_PeerText = EndpointText(peer);
  m_MessageSocket = std::make_unique<tcp::socket>(std::move(socket));
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
    if (!error) {
      TakePeer(std::move(socket));
      result.accepted = true;
    }
  }
}

ByteString TcpLink::ReadWaiting(size_t limit, bool& peerGone) {
  ByteString data;
  peerGone = false;
  if (!m_MessageSocket) {
    return data;
  }
  boost::system::error_code error;
  size_t waiting = m_MessageSocket->available(error);
  // One read of exactly what is waiting; with nothing waiting one byte is still asked for, so
  // a closed or failed connection shows itself.
  data.resize(std::clamp<size_t>(waiting, 1, std::max<size_t>(limit, 1)));
  size_t count = m_MessageSocket->read_some(boost::asio::buffer(data), error);
  data.resize(count);
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
  tcp::socket& socket = *m_MessageSocket;
  // Most sends complete at once: one system call on the non-blocking socket. Only what the
  // system could not take at once is waited for.
  boost::system::error_code error;
  const size_t sent = socket.write_some(boost::asio::buffer(bytes), error);
  if (error == boost::asio::error::would_block || (!error && sent < bytes.size())) {
    const size_t done = error ? 0 : sent;
    error = RunWithin(
        m_Io, kSocketWaitLimit,
        [&socket, &bytes, done](auto handler) {
          boost::asio::async_write(socket, boost::asio::buffer(bytes) + done, std::move(handler));
        },
        [&socket] { socket.cancel(); });
  }
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
  boost::system::error_code ignored;
  m_MessageSocket->shutdown(tcp::socket::shutdown_send, ignored);
  m_MessageSocket->close(ignored);
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
    handles.push_back(m_MessageSocket->native_handle());
  }
  return handles;
}

void TcpLink::Close() {
  ClosePeer();
  boost::system::error_code ignored;
  m_ListenSocket.close(ignored);
}
