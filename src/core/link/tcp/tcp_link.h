#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "byte_string.h"
#include "error.h"
#include "link/net/net_stream.h"
#include "link/wait_handle.h"

namespace linkwright {

// The TCP side of the link: a listening socket that serves one peer at a time, or one
// connection made to a server. Nothing here waits for the network except Connect and Send,
// which are bounded by kSocketWaitLimit; peers are taken in and their data fetched by polling.
// Why the last Listen, Connect or Send failed is its LastError.
class TcpLink : public LastErrorHolder {
 public:
  // What one poll of the listening socket did.
  struct AcceptResult {
    bool accepted = false;  // a peer was taken in and is now the message socket
    int refused = 0;        // connections closed at once because a peer was already connected
    // For each connection closed because its TLS handshake failed: its address and why.
    std::vector<std::string> handshakeFailures;
  };

  TcpLink();
  ~TcpLink();
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  // With a context, Listen and Connect speak TLS: a client checks the server against
  // `peerName` (empty: the host it connects to), a server runs the handshake with each peer
  // it takes in. Without one (the default) they speak plain TCP.
  void UseTls(std::shared_ptr<boost::asio::ssl::context> context, const std::string& peerName);

  // Listens on `port` of every local address, IPv6 and IPv4, with a backlog of 5. The address
  // may be reused at once, so a link can be closed and opened again on the same port. Failures
  // write a "bind()" or "listen()" socket error line.
  bool Listen(uint16_t port);

  // Connects to `host` (a name, an IPv4 or an IPv6 address), trying each address it resolves
  // to within kSocketWaitLimit. A failure, also of the look-up or by time-out, writes a
  // "connect()" socket error line; a failed TLS handshake says why.
  bool Connect(const std::string& host, uint16_t port);

  // Takes in every waiting connection: the first becomes the peer when there is none, every
  // other one is closed at once. Only a TLS handshake waits, for at most kSocketWaitLimit; a
  // peer that fails it is closed with a "W" log line saying why.
  AcceptResult AcceptWaiting();

  // Everything the peer has sent that is waiting, up to `limit` bytes. `peerGone` tells
  // that the peer closed the connection or it failed; the socket is kept until ClosePeer.
  ByteString ReadWaiting(size_t limit, bool& peerGone);

  // Sends all bytes to the peer or fails: no peer, a connection error, or no progress within
  // kSocketWaitLimit. A failed connection is closed, since an unknown part of the message went
  // out.
  bool Send(const ByteString& bytes);

  // From StartGathering on, Send keeps the bytes back; they leave together, in one system
  // call, when EndGathering is called or kGatherLimit bytes are kept. A burst of short replies
  // then costs one call instead of one each. EndGathering is false, with LastError telling
  // why, when sending what was kept failed (the peer is then closed, as by a failed Send).
  void StartGathering() { m_Gathering = true; }
  bool EndGathering();

  // Shuts down the sending direction and closes the peer connection; false when there is none.
  bool ClosePeer();

  // Closes the peer connection and the listening socket.
  void Close();

  bool HasPeer() const { return m_MessageSocket != nullptr; }

  // The listening socket while it listens and the peer's while there is one.
  std::vector<WaitHandle> WaitHandles();

  // "--> address:port" of the peer, the address as used ("[::1]:1024" for IPv6); empty when
  // there is none.
  const std::string& PeerText() const { return m_PeerText; }

  // The TLS protocol agreed with the peer; empty for plain TCP or without a peer.
  std::string TlsVersion() const { return m_MessageSocket ? m_MessageSocket->TlsVersion() : ""; }

 private:
  void TakePeer(std::unique_ptr<NetStream> stream);
  Error AcceptTls(NetStream& stream);
  bool SendNow(const ByteString& bytes);
  bool SendGathered();
  // Writes the socket error line of `context`, when given, and fails with `what` and `error`.
  bool Failed(const char* context, const boost::system::error_code& error, const std::string& what);

  boost::asio::io_context m_Io;
  boost::asio::ip::tcp::acceptor m_ListenSocket;
  std::unique_ptr<NetStream> m_MessageSocket;
  std::shared_ptr<boost::asio::ssl::context> m_TlsContext;
  std::string m_TlsPeerName;
  std::string m_PeerText;
  bool m_Gathering = false;
  ByteString m_Gathered;
};

}  // namespace linkwright
