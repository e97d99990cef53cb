#pragma once

#include "link/tcp_link.h"
#include "link/transport.h"

class CConfiguration;

// The TCP server: listens on "SocketPort" and serves one peer at a time, taking peers in and
// noticing their close while it is polled. A peer that closes leaves the server listening.
class TcpServerTransport : public Transport {
 public:
  explicit TcpServerTransport(const CConfiguration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;
  std::string Description() const override;
  LinkState State() const override;
  bool DropPeer() override { return m_Tcp.ClosePeer(); }

 private:
  const CConfiguration& m_Config;
  TcpLink m_Tcp;
  bool m_IsOpen = false;
};

// The TCP client: one connection to "SocketHost":"SocketPort". When the server closes it or it
// fails, the link is lost.
class TcpClientTransport : public Transport {
 public:
  explicit TcpClientTransport(const CConfiguration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;
  std::string Description() const override;
  LinkState State() const override;

 private:
  const CConfiguration& m_Config;
  TcpLink m_Tcp;
  bool m_IsOpen = false;
};
