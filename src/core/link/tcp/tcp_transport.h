#pragma once

#include "link/net/tls_settings.h"
#include "link/tcp/tcp_link.h"
#include "link/transport.h"

namespace linkwright {

class Configuration;

// What the TCP server and client share: the connection, its sends and its description.
class TcpTransport : public Transport {
 public:
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  void StartGathering() override { m_Tcp.StartGathering(); }
  bool EndGathering() override;
  std::vector<WaitHandle> WaitHandles() override { return m_Tcp.WaitHandles(); }
  std::string Description() const override;

 protected:
  explicit TcpTransport(const Configuration& config) : m_Config(config) {}

  // Sets the link up for TLS when "TlsEnabled" is on, for plain TCP otherwise; false, with
  // LastError naming the setting, when the TLS settings cannot be used.
  bool PrepareTls(TlsRole role);

  const Configuration& m_Config;
  TcpLink m_Tcp;
  bool m_IsOpen = false;
};

// The TCP server: listens on "SocketPort" and serves one peer at a time, taking peers in and
// noticing their close while it is polled. A peer that closes leaves the server listening.
class TcpServerTransport : public TcpTransport {
 public:
  explicit TcpServerTransport(const Configuration& config) : TcpTransport(config) {}

  bool Open() override;
  Arrival TakeWaiting(size_t limit) override;
  LinkState State() const override;
  bool DropPeer() override { return m_Tcp.ClosePeer(); }
};

// The TCP client: one connection to "SocketHost":"SocketPort". When the server closes it or it
// fails, the link is lost.
class TcpClientTransport : public TcpTransport {
 public:
  explicit TcpClientTransport(const Configuration& config) : TcpTransport(config) {}

  bool Open() override;
  Arrival TakeWaiting(size_t limit) override;
  LinkState State() const override;
};

}  // namespace linkwright
