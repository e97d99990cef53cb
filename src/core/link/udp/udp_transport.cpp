#include "link/udp/udp_transport.h"

#include <utility>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "link/net/host_address.h"
#include "link/net/multicast.h"
#include "link/net/socket_settings.h"
#include "link/udp/udp_client_connection.h"

namespace linkwright {

bool UdpServerTransport::Open() {
  uint16_t port = 0;
  if (Error error = ReadSocketPort(m_Config, port); error.Failed()) {
    return Fail(std::move(error));
  }
  m_IsOpen =
      m_UdpServer.Bind(port, ReadMulticastSettings(m_Config)) || Fail(m_UdpServer.LastError());
  return m_IsOpen;
}

bool UdpServerTransport::Close() {
  m_UdpServer.Close();
  m_IsOpen = false;
  return true;
}

bool UdpServerTransport::Send(const ByteString& message) {
  return m_UdpServer.SendToPeer(message) || Fail(m_UdpServer.LastError());
}

Arrival UdpServerTransport::TakeWaiting(size_t limit) {
  Arrival arrival;
  bool newSender = false;
  arrival.bytes = m_UdpServer.ReceiveWaiting(limit, newSender);
  if (newSender) {
    arrival.newPeerAt = 0;
  }
  return arrival;
}

std::string UdpServerTransport::Description() const {
  return m_IsOpen ? "UDP <-- " + AddressText(m_UdpServer.Peer().address()) : "UDP ...";
}

LinkState UdpServerTransport::State() const {
  return m_IsOpen ? LinkState::kUdpServerOpen : LinkState::kUdpServerClosed;
}

bool UdpClientTransport::Open() {
  return Fail(ErrorKind::kState, "the UDP client needs no opening");
}

// A group, when one is set, takes the place of the host.
std::string UdpClientTransport::Destination() const {
  const std::string group = m_Config.GetString(setting::kMulticastGroup);
  return group.empty() ? m_Config.GetString(setting::kSocketHost) : group;
}

bool UdpClientTransport::Send(const ByteString& message) {
  const std::string host = Destination();
  const int32_t port = m_Config.GetInt(setting::kSocketPort);
  const int32_t timeout = m_Config.GetInt(setting::kResponseTimeout);
  UdpClientConnection connection;
  connection.SetDestination(host, port);
  connection.SetMulticast(ReadMulticastSettings(m_Config));
  connection.SetTimeout(timeout);
  connection.SetPollInterval(0);
  connection.SetCancelCheck(Monitor().cancelled, kCancelCheckPeriod);
  // A connection that did not open makes SendCommand fail.
  connection.Open();
  const ByteString opener = TextToBytes(m_Config.GetString(setting::kPacketOpener));
  const ByteString closer = TextToBytes(m_Config.GetString(setting::kPacketCloser));
  ByteString reply;
  const bool replied = connection.SendCommand(message, opener, closer, reply);
  connection.Close();
  m_Reply.clear();
  if (replied) {
    m_Reply.push_back(std::move(reply));
  }
  const std::string peer = host + ":" + std::to_string(port);
  return replied || FailExchange("a reply from " + peer,
                                 {ErrorKind::kTimeout, "no reply from " + peer + " within " +
                                                           std::to_string(timeout) + " ms"});
}

std::vector<ByteString> UdpClientTransport::TakeReply() {
  return std::exchange(m_Reply, {});
}

std::string UdpClientTransport::Description() const {
  return "UDP --> " + Destination() + ":" + std::to_string(m_Config.GetInt(setting::kSocketPort));
}

}  // namespace linkwright
