#include "link/net/tls_settings.h"

#include <filesystem>
#include <fstream>

#include "config/configuration.h"

namespace linkwright {

namespace ssl = boost::asio::ssl;

namespace {

// OpenSSL reports a file it cannot open with no words of its own; the file system says more.
Error FileProblem(const char* settingName, const std::string& path,
                  const boost::system::error_code& error) {
  std::error_code status;
  const bool readable = std::filesystem::is_regular_file(path, status) &&
                        std::ifstream(path, std::ios::binary).is_open();
  const std::string reason = readable ? error.message() : "no readable file there";
  return {ErrorKind::kSetting,
          std::string(settingName) + " '" + path + "' cannot be used: " + reason};
}

}  // namespace

TlsSettings ReadTlsSettings(const Configuration& config) {
  TlsSettings settings;
  settings.enabled = config.GetInt(setting::kTlsEnabled) != 0;
  settings.caFile = config.GetString(setting::kTlsCaFile);
  settings.certFile = config.GetString(setting::kTlsCertFile);
  settings.keyFile = config.GetString(setting::kTlsKeyFile);
  settings.verifyPeer = config.GetInt(setting::kTlsVerifyPeer) != 0;
  settings.serverName = config.GetString(setting::kTlsServerName);
  return settings;
}

Error MakeTlsContext(const TlsSettings& settings, TlsRole role,
                     std::shared_ptr<ssl::context>& context) {
  const bool server = role == TlsRole::kServer;
  if (server && (settings.certFile.empty() || settings.keyFile.empty())) {
    return {ErrorKind::kSetting, "a TLS server needs TlsCertFile and TlsKeyFile"};
  }
  auto made =
      std::make_shared<ssl::context>(server ? ssl::context::tls_server : ssl::context::tls_client);
  boost::system::error_code error;
  made->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 |
                        ssl::context::no_sslv3 | ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1,
                    error);
  if (!settings.certFile.empty()) {
    made->use_certificate_chain_file(settings.certFile, error);
    if (error) {
      return FileProblem("TlsCertFile", settings.certFile, error);
    }
  }
  if (!settings.keyFile.empty()) {
    made->use_private_key_file(settings.keyFile, ssl::context::pem, error);
    if (error) {
      return FileProblem("TlsKeyFile", settings.keyFile, error);
    }
  }
  if (!settings.caFile.empty()) {
    made->load_verify_file(settings.caFile, error);
    if (error) {
      return FileProblem("TlsCaFile", settings.caFile, error);
    }
  }
  if (settings.caFile.empty()) {
    // Without trusted CAs of its own a client trusts the system's.
    made->set_default_verify_paths(error);
  }
  const bool verify = settings.verifyPeer && (!server || !settings.caFile.empty());
  made->set_verify_mode(verify ? ssl::verify_peer | (server ? ssl::verify_fail_if_no_peer_cert : 0)
                               : ssl::verify_none,
                        error);
  context = std::move(made);
  return {};
}

}  // namespace linkwright
