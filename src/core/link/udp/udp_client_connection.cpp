#include <algorithm>
#include <string>

#include <boost/asio/buffer.hpp>

#include "diag/diag_log.h"
#include "link/net/host_address.h"
#include "link/net/socket_support.h"
#include "link/udp/udp_client_connection.h"

namespace linkwright {

using boost::asio::ip::udp;

namespace {

// The DoSend trace shows the data as text: at most 20 characters, up to the first 0x00.
int ShownLength(const char* data, int32_t length) {
  const auto end = std::find(data, data + std::min(length, 20), '\0');
  return static_cast<int>(end - data);
}

}  // namespace

UdpClientConnection::UdpClientConnection() : m_Socket(m_Io) {}

UdpClientConnection::~UdpClientConnection() = default;

void UdpClientConnection::SetDestination(const std::string& host, int32_t port) {
  m_Host = host;
  m_Port = port;
}

void UdpClientConnection::SetMulticast(const MulticastSettings& settings) {
  m_Multicast = settings;
}

void UdpClientConnection::DiscardInput() {
  m_RxBuffer.clear();
}

bool UdpClientConnection::DoOpen() {
  boost::asio::ip::address address;
  boost::system::error_code error = ResolveDatagramHost(m_Io, m_Host, address);
  if (error) {
    return Failed(error, "cannot resolve " + m_Host);
  }
  m_Socket.open(address.is_v4() ? udp::v4() : udp::v6(), error);
  if (error) {
    return Failed(error, "cannot open a UDP socket");
  }
  if (address.is_multicast()) {
    if (Error problem = PrepareMulticastSending(m_Socket, address, m_Multicast); problem.Failed()) {
      DiagLog('E', "UdpClientConnection::DoOpen() : %s", problem.Message().c_str());
      return Fail(std::move(problem));
    }
  }
  m_HostEntry = address;
  return true;
}

bool UdpClientConnection::DoClose() {
  boost::system::error_code ignored;
  m_Socket.close(ignored);
  m_HostEntry.reset();
  return true;
}

bool UdpClientConnection::DoSend(const char* data, int32_t length) {
  const udp::endpoint destination(*m_HostEntry, static_cast<uint16_t>(m_Port));
  DiagLog(' ', "UdpClientConnection::DoSend( \"%-.*s\", %d )", ShownLength(data, length), data,
          length);
  int32_t offset = 0;
  while (offset < length) {
    boost::system::error_code error;
    const size_t sent =
        m_Socket.send_to(boost::asio::buffer(data + offset, static_cast<size_t>(length - offset)),
                         destination, 0, error);
    const int32_t result = error ? -1 : static_cast<int32_t>(sent);
    DiagLog(' ', "sento() --> %d", result);
    if (error) {
      return Failed(error, "UDP send failed");
    }
    offset += result;
  }
  return true;
}

// Takes one whole datagram: when it is larger than the chunk, the chunk grows to hold it rather
// than losing its tail.
bool UdpClientConnection::DoReceive(size_t& received) {
  received = 0;
  boost::system::error_code error;
  const WaitOutcome outcome = WaitReadable(m_Socket.native_handle(), 0, error);
  if (outcome == WaitOutcome::kFailed) {
    return Failed(error, "UDP receive failed");
  }
  if (outcome == WaitOutcome::kTimedOut) {
    return true;
  }
  std::vector<char>& chunk = Chunk();
  const size_t waiting = m_Socket.available(error);
  if (!error && waiting > chunk.size()) {
    chunk.resize(waiting);
  }
  udp::endpoint sender;
  received = m_Socket.receive_from(boost::asio::buffer(chunk), sender, 0, error);
  if (error) {
    received = 0;
    return Failed(error, "UDP receive failed");
  }
  return true;
}

bool UdpClientConnection::Failed(const boost::system::error_code& error, const std::string& what) {
  LogSocketFailure(error);
  return Fail(SocketFailure(what, error));
}

void UdpClientConnection::WaitForInput(int32_t milliseconds) {
  boost::system::error_code ignored;
  WaitReadable(m_Socket.native_handle(), milliseconds, ignored);
}

}  // namespace linkwright
