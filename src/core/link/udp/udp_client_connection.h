#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/udp.hpp>

#include "link/net/multicast.h"
#include "link/udp/connection.h"

namespace linkwright {

// A UDP client: sends datagrams to one destination from a system-chosen local port and reads
// the replies, from any sender, on the same socket.
class UdpClientConnection : public Connection {
 public:
  UdpClientConnection();
  ~UdpClientConnection() override;

  // Host name, IPv4 or IPv6 address and UDP port (low 16 bits used) of the peer; set before
  // Open.
  void SetDestination(const std::string& host, int32_t port);

  // How datagrams leave when the destination is a multicast group; set before Open.
  void SetMulticast(const MulticastSettings& settings);

 protected:
  // Only empties the receive buffer: a fresh socket has nothing worth reading.
  void DiscardInput() override;
  // Resolves the host to its first IPv4 address, else its first IPv6 address, and creates the
  // socket; failures write a socket error line.
  bool DoOpen() override;
  bool DoClose() override;
  bool DoSend(const char* data, int32_t length) override;
  bool DoReceive(size_t& received) override;
  void WaitForInput(int32_t milliseconds) override;

 private:
  // Writes the "Socket error" line and fails with `what` and `error`.
  bool Failed(const boost::system::error_code& error, const std::string& what);

  std::string m_Host;
  int32_t m_Port = 0;
  boost::asio::io_context m_Io;
  boost::asio::ip::udp::socket m_Socket;
  std::optional<boost::asio::ip::address> m_HostEntry;
  MulticastSettings m_Multicast;
};

}  // namespace linkwright
