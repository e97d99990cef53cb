#pragma once

#include "link/transport.h"
#include "link/udp/udp_server_link.h"

namespace linkwright {

class Configuration;

// The UDP server: bound to "SocketPort", answering whoever sent the last datagram.
class UdpServerTransport : public Transport {
 public:
  explicit UdpServerTransport(const Configuration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;
  std::vector<WaitHandle> WaitHandles() override { return m_UdpServer.WaitHandles(); }
  std::string Description() const override;
  LinkState State() const override;

 private:
  const Configuration& m_Config;
  UdpServerLink m_UdpServer;
  bool m_IsOpen = false;
};

// The UDP client: every send is an exchange with "SocketHost":"SocketPort" (or the multicast
// group, when "MulticastGroup" names one) on a connection of its own, waiting up to
// "ResponseTimeout" for a reply framed by the packet opener and closer, or until the monitor says
// stop. It needs no opening and counts as open at all times.
class UdpClientTransport : public Transport {
 public:
  explicit UdpClientTransport(const Configuration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override { return false; }
  bool IsOpen() const override { return true; }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t /*limit*/) override { return {}; }
  std::string Description() const override;
  LinkState State() const override { return LinkState::kUdpClient; }
  SendTracing Tracing() const override { return SendTracing::kExchange; }
  std::vector<ByteString> TakeReply() override;

 private:
  std::string Destination() const;

  const Configuration& m_Config;
  std::vector<ByteString> m_Reply;
};

}  // namespace linkwright
