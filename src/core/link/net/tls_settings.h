#pragma once

#include <memory>
#include <string>

#include <boost/asio/ssl/context.hpp>

#include "error.h"

namespace linkwright {

class Configuration;

// Which end of the handshake a TLS stream takes.
enum class TlsRole { kClient, kServer };

// The TLS settings of the "Connection" section, as a link reads them when it opens.
struct TlsSettings {
  bool enabled = false;
  std::string caFile;
  std::string certFile;
  std::string keyFile;
  bool verifyPeer = true;
  // The name the server's certificate must carry; empty: the host connected to.
  std::string serverName;
};

TlsSettings ReadTlsSettings(const Configuration& config);

// A TLS context for `role` from `settings`: TLS 1.2 or newer, the certificate and key when
// given (a server needs both), and the CA file when given, else the system's trusted CAs. A
// client verifies the server when verifyPeer is set; a server asks for and verifies a client
// certificate only when verifyPeer is set and a CA file is given. Fails with kSetting naming the
// setting whose file could not be used, and why.
Error MakeTlsContext(const TlsSettings& settings, TlsRole role,
                     std::shared_ptr<boost::asio::ssl::context>& context);

}  // namespace linkwright
