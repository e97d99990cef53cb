#include "link/net/net_stream.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/asio/write.hpp>

#include "link/net/asio_wait.h"

namespace linkwright {

using boost::asio::ip::tcp;
namespace ssl = boost::asio::ssl;

namespace {

constexpr std::chrono::milliseconds kCloseNotifyWait{200};

// Names the peer for the certificate check: a host name is also sent to the server (SNI),
// an address is checked against the certificate's address entries.
void NamePeer(SSL* handle, const std::string& peerName) {
  if (peerName.empty()) {
    return;
  }
  boost::system::error_code notAnAddress;
  boost::asio::ip::make_address(peerName, notAnAddress);
  if (notAnAddress) {
    SSL_set_tlsext_host_name(handle, peerName.c_str());
    SSL_set1_host(handle, peerName.c_str());
  } else {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(handle), peerName.c_str());
  }
}

// Why a handshake failed, in the words a user can act on: the certificate check's verdict
// ("certificate has expired", "hostname mismatch", "unable to get local issuer certificate")
// when the peer's certificate was refused, else the protocol's error or the peer's alert.
std::string HandshakeProblem(SSL* handle, const boost::system::error_code& error) {
  const long verdict = SSL_get_verify_result(handle);
  if ((SSL_get_verify_mode(handle) & SSL_VERIFY_PEER) != 0 && verdict != X509_V_OK) {
    return X509_verify_cert_error_string(verdict);
  }
  if (error == boost::asio::error::eof || error == ssl::error::stream_truncated) {
    return "the peer closed the connection";
  }
  return error.message();
}

}  // namespace

NetStream::NetStream(boost::asio::io_context& io, tcp::socket socket)
    : m_Io(io), m_Socket(std::move(socket)) {}

NetStream::~NetStream() {
  Close();
}

Error NetStream::StartTls(std::shared_ptr<ssl::context> context, TlsRole role,
                          const std::string& peerName, std::chrono::milliseconds limit) {
  m_Context = std::move(context);
  m_Tls = std::make_unique<ssl::stream<tcp::socket&>>(m_Socket, *m_Context);
  const bool client = role == TlsRole::kClient;
  if (client) {
    NamePeer(m_Tls->native_handle(), peerName);
  }
  auto& tls = *m_Tls;
  const boost::system::error_code error = RunWithin(
      m_Io, limit,
      [&tls, client](auto handler) {
        tls.async_handshake(client ? ssl::stream_base::client : ssl::stream_base::server,
                            std::move(handler));
      },
      [this] { m_Socket.cancel(); });
  if (error == boost::asio::error::timed_out) {
    return {ErrorKind::kTimeout,
            "TLS handshake: no answer within " + std::to_string(limit.count()) + " ms"};
  }
  if (error) {
    return {ErrorKind::kPeer,
            "TLS handshake failed: " + HandshakeProblem(tls.native_handle(), error)};
  }
  return {};
}

std::string NetStream::TlsVersion() const {
  return m_Tls ? SSL_get_version(m_Tls->native_handle()) : "";
}

size_t NetStream::ReadSome(boost::asio::mutable_buffer buffer, boost::system::error_code& error) {
  return m_Tls ? m_Tls->read_some(buffer, error) : m_Socket.read_some(buffer, error);
}

bool NetStream::MoreWaiting() {
  if (!m_Tls) {
    return false;
  }
  SSL* handle = m_Tls->native_handle();
  boost::system::error_code error;
  return SSL_pending(handle) > 0 || BIO_ctrl_pending(SSL_get_rbio(handle)) > 0 ||
         m_Socket.available(error) > 0;
}

boost::system::error_code NetStream::WriteAll(boost::asio::const_buffer bytes,
                                              std::chrono::milliseconds limit) {
  size_t done = 0;
  boost::system::error_code error;
  if (!m_Tls) {
    // Most plain sends complete at once: one system call on the non-blocking socket. Only what
    // the system could not take at once is waited for. A TLS record cannot be sent in part
    // this way, so TLS always takes the waiting path.
    done = m_Socket.write_some(bytes, error);
    if (error == boost::asio::error::would_block) {
      error.clear();
      done = 0;
    }
    if (error || done == bytes.size()) {
      return error;
    }
  }
  return RunWithin(
      m_Io, limit,
      [this, bytes, done](auto handler) {
        if (m_Tls) {
          boost::asio::async_write(*m_Tls, bytes, std::move(handler));
        } else {
          boost::asio::async_write(m_Socket, bytes + done, std::move(handler));
        }
      },
      [this] { m_Socket.cancel(); });
}

void NetStream::Close() {
  boost::system::error_code ignored;
  if (m_Tls && m_Socket.is_open()) {
    // Tells the peer that the data ended here rather than being cut off. A peer that does not
    // answer is not waited for long.
    RunWithin(
        m_Io, kCloseNotifyWait, [this](auto handler) { m_Tls->async_shutdown(std::move(handler)); },
        [this] { m_Socket.cancel(); });
  }
  if (m_Socket.is_open()) {
    m_Socket.shutdown(tcp::socket::shutdown_send, ignored);
    m_Socket.close(ignored);
  }
}

}  // namespace linkwright
