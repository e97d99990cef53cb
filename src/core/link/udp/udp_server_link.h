#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include "byte_string.h"
#include "error.h"
#include "link/net/multicast.h"
#include "link/wait_handle.h"

namespace linkwright {

// The UDP server side of the link: a datagram socket bound to a local port that answers
// whoever sent the last datagram. Reading never waits; the socket asks for a receive buffer that
// holds 100 ms of small datagrams at 50,000 a second, so a burst between two polls is kept by
// the system. Why the last Bind or SendToPeer failed is its LastError.
class UdpServerLink : public LastErrorHolder {
 public:
  UdpServerLink();
  ~UdpServerLink();
  UdpServerLink(const UdpServerLink&) = delete;
  UdpServerLink& operator=(const UdpServerLink&) = delete;

  // Binds to `port` of every local address, IPv6 and IPv4, and describes the local end in
  // PeerText. With a multicast group, binds for the group's family only and joins the group
  // too. Failures write a "bind()" or "gethostname()" socket error line and leave the socket
  // closed; a group or interface that cannot be used fails with a setting error.
  bool Bind(uint16_t port, const MulticastSettings& multicast = {});

  // Closes the socket and forgets the peer.
  void Close();

  // The waiting datagrams of one sender, joined, until about `limit` bytes have come; that
  // sender becomes the peer, so what is sent before the next call answers it. A datagram from
  // another sender ends the call and is held back to begin the next one. `newSender` tells
  // whether the sender differs from the previous peer.
  ByteString ReceiveWaiting(size_t limit, bool& newSender);

  // Sends the bytes as one datagram to the peer; an empty message sends nothing and succeeds.
  // Before any datagram arrived there is no peer and the send fails. Failures write a "sendto()
  // failed" socket error line.
  bool SendToPeer(const ByteString& bytes);

  // The socket while it is bound.
  std::vector<WaitHandle> WaitHandles();

  // Sender of the last datagram received; 0.0.0.0 port 0 until one arrives.
  const boost::asio::ip::udp::endpoint& Peer() const { return m_UdpPeer; }

  // "--> hostname:port" of the local end while bound; empty otherwise.
  const std::string& PeerText() const { return m_PeerText; }

 private:
  struct Datagram {
    boost::asio::ip::udp::endpoint sender;
    ByteString bytes;
  };

  // The held-back datagram, else the next waiting one; nothing when none is waiting.
  std::optional<Datagram> NextDatagram();
  // Writes the socket error line of `context` and fails with `what` and `error`.
  bool Failed(const char* context, const boost::system::error_code& error, const std::string& what);

  boost::asio::io_context m_Io;
  boost::asio::ip::udp::socket m_UdpSocket;
  boost::asio::ip::udp::endpoint m_UdpPeer;
  std::string m_PeerText;
  std::vector<char> m_Datagram;
  // A datagram read from a sender other than the peer of the call that read it.
  std::optional<Datagram> m_HeldBack;
};

}  // namespace linkwright
