#include "link/udp/udp_server_link.h"

#include <algorithm>
#include <utility>

#include <boost/asio/ip/host_name.hpp>

#include "diag/diag_log.h"
#include "link/net/asio_wait.h"
#include "link/net/host_address.h"
#include "link/net/socket_support.h"

namespace linkwright {

using boost::asio::ip::udp;

namespace {

// Room for the datagrams of one 100 ms polling period at 50,000 small datagrams a second. A
// small datagram takes about 420 bytes of the size asked for (Linux doubles the size asked for
// and books about 830 bytes per small datagram); 512 leaves a margin.
constexpr int kBurstDatagrams = 5000;
constexpr int kBytesPerSmallDatagram = 512;
constexpr int kReceiveBufferBytes = kBurstDatagrams * kBytesPerSmallDatagram;
// Below this a smaller grant is not asked for.
constexpr int kLeastReceiveBufferBytes = 64 << 10;
// The largest payload a UDP datagram can carry over IPv4, so no datagram is ever cut.
constexpr size_t kMaxDatagram = 65536;

// Asks for kReceiveBufferBytes. Some systems refuse a size above their limit, then half as
// much is asked until one is granted; others grant less without a word. Either way a buffer
// smaller than asked is reported with one warning line.
void SizeReceiveBuffer(udp::socket& socket) {
  boost::system::error_code error;
  for (int asked = kReceiveBufferBytes; asked >= kLeastReceiveBufferBytes; asked /= 2) {
    socket.set_option(udp::socket::receive_buffer_size(asked), error);
    if (!error) {
      break;
    }
  }
  udp::socket::receive_buffer_size granted;
  socket.get_option(granted, error);
  if (!error && granted.value() < kReceiveBufferBytes) {
    DiagLog('W',
            "UdpServerLink::Bind() receive buffer of %d bytes granted, %d asked: a burst of "
            "datagrams between two polls may be lost",
            granted.value(), kReceiveBufferBytes);
  }
}

}  // namespace

UdpServerLink::UdpServerLink() : m_UdpSocket(m_Io), m_Datagram(kMaxDatagram) {}

UdpServerLink::~UdpServerLink() {
  Close();
}

bool UdpServerLink::Failed(const char* context, const boost::system::error_code& error,
                           const std::string& what) {
  ReportSocketFailure(context, error);
  return Fail(SocketFailure(what, error));
}

bool UdpServerLink::Bind(uint16_t port, const MulticastSettings& multicast) {
  const std::string what = "cannot bind UDP port " + std::to_string(port);
  m_UdpPeer = udp::endpoint();
  boost::asio::ip::address group;
  if (!multicast.group.empty()) {
    if (Error problem = ParseMulticastGroup(multicast.group, group); problem.Failed()) {
      return Fail(std::move(problem));
    }
  }
  boost::system::error_code error;
  udp protocol = udp::v4();
  if (multicast.group.empty()) {
    error = OpenBothFamilies(m_UdpSocket, protocol);
  } else {
    protocol = group.is_v4() ? udp::v4() : udp::v6();
    m_UdpSocket.open(protocol, error);
    if (!error) {
      // Other programs on this host may listen to the same group and port.
      m_UdpSocket.set_option(udp::socket::reuse_address(true), error);
    }
  }
  if (!error) {
    SizeReceiveBuffer(m_UdpSocket);
    m_UdpSocket.bind(udp::endpoint(protocol, port), error);
  }
  if (!error) {
    m_UdpSocket.non_blocking(true, error);
  }
  if (error) {
    Close();
    return Failed("bind()", error, what);
  }
  if (!multicast.group.empty()) {
    if (Error joined = JoinMulticastGroup(m_UdpSocket, group, multicast); joined.Failed()) {
      Close();
      return Fail(std::move(joined));
    }
  }
  std::string hostName = boost::asio::ip::host_name(error);
  if (error) {
    Close();
    return Failed("gethostname()", error, "cannot read the host name");
  }
  m_PeerText = "--> " + hostName + ":" + std::to_string(port);
  return true;
}

std::vector<WaitHandle> UdpServerLink::WaitHandles() {
  if (!m_UdpSocket.is_open()) {
    return {};
  }
  return {m_UdpSocket.native_handle()};
}

void UdpServerLink::Close() {
  boost::system::error_code ignored;
  m_UdpSocket.close(ignored);
  m_UdpPeer = udp::endpoint();
  m_HeldBack.reset();
  m_PeerText.clear();
}

std::optional<UdpServerLink::Datagram> UdpServerLink::NextDatagram() {
  if (m_HeldBack) {
    return std::exchange(m_HeldBack, std::nullopt);
  }
  Datagram datagram;
  boost::system::error_code error;
  const size_t count =
      m_UdpSocket.receive_from(boost::asio::buffer(m_Datagram), datagram.sender, 0, error);
  if (error) {
    return std::nullopt;
  }
  datagram.bytes.assign(m_Datagram.data(), count);
  return datagram;
}

ByteString UdpServerLink::ReceiveWaiting(size_t limit, bool& newSender) {
  ByteString data;
  bool arrived = false;
  newSender = false;
  if (!m_UdpSocket.is_open()) {
    return data;
  }
  while (data.size() < limit) {
    std::optional<Datagram> datagram = NextDatagram();
    if (!datagram) {
      break;
    }
    if (datagram->sender != m_UdpPeer) {
      // The replies to what came so far must still reach its sender.
      if (arrived) {
        m_HeldBack = std::move(datagram);
        break;
      }
      m_UdpPeer = datagram->sender;
      newSender = true;
    }
    data += datagram->bytes;
    arrived = true;
  }
  return data;
}

bool UdpServerLink::SendToPeer(const ByteString& bytes) {
  if (bytes.empty()) {
    return true;
  }
  if (m_UdpPeer.port() == 0) {
    return Failed("sendto() failed",
                  make_error_code(boost::system::errc::destination_address_required),
                  "no UDP peer yet");
  }
  udp::socket& socket = m_UdpSocket;
  const udp::endpoint& peer = m_UdpPeer;
  // One system call on the non-blocking socket; only a full send buffer is waited for.
  boost::system::error_code error;
  socket.send_to(boost::asio::buffer(bytes), peer, 0, error);
  if (error == boost::asio::error::would_block) {
    error = RunWithin(
        m_Io, kSocketWaitLimit,
        [&socket, &bytes, &peer](auto handler) {
          socket.async_send_to(boost::asio::buffer(bytes), peer, std::move(handler));
        },
        [&socket] { socket.cancel(); });
  }
  if (error) {
    return Failed("sendto() failed", error, "UDP send failed");
  }
  return true;
}

}  // namespace linkwright
