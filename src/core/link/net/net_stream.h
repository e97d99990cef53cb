#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <boost/asio/buffer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>

#include "error.h"
#include "link/net/tls_settings.h"

namespace linkwright {

// A connected TCP socket, plain or with TLS on it once StartTls succeeded. Reads never wait;
// writes wait at most the limit they are given. What goes through it are the bytes inside TLS.
class NetStream {
 public:
  // `io` is the context the socket runs on.
  NetStream(boost::asio::io_context& io, boost::asio::ip::tcp::socket socket);
  ~NetStream();
  NetStream(const NetStream&) = delete;
  NetStream& operator=(const NetStream&) = delete;

  // Runs the TLS handshake within `limit`. A client checks the server's certificate against
  // `peerName` (a host name or an address) when the context verifies, and names the host to the
  // server when it is not an address. Fails with kPeer saying why the handshake failed (the
  // certificate problem when one was found, else the protocol's alert or error), or kTimeout.
  Error StartTls(std::shared_ptr<boost::asio::ssl::context> context, TlsRole role,
                 const std::string& peerName, std::chrono::milliseconds limit);

  // The protocol agreed ("TLSv1.3"); empty on a plain stream.
  std::string TlsVersion() const;

  // What one read brings without waiting (the socket is non-blocking): would_block when nothing
  // is there yet; any other error, or the end of the stream, means the connection is over.
  size_t ReadSome(boost::asio::mutable_buffer buffer, boost::system::error_code& error);

  // TLS only: whether another read would bring more, from the socket or from records already
  // taken from it. A plain stream is read whole by one read of what is waiting.
  bool MoreWaiting();

  // Writes all bytes, waiting at most `limit` for the peer to take them; timed_out when it did
  // not. After a failure an unknown part went out.
  boost::system::error_code WriteAll(boost::asio::const_buffer bytes,
                                     std::chrono::milliseconds limit);

  boost::asio::ip::tcp::socket& Socket() { return m_Socket; }

  // Ends TLS (waiting briefly for the peer's answer), shuts down the sending direction and
  // closes the socket.
  void Close();

 private:
  boost::asio::io_context& m_Io;
  boost::asio::ip::tcp::socket m_Socket;
  std::shared_ptr<boost::asio::ssl::context> m_Context;
  std::unique_ptr<boost::asio::ssl::stream<boost::asio::ip::tcp::socket&>> m_Tls;
};

}  // namespace linkwright
