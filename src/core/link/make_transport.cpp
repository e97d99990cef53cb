#include "link/make_transport.h"

#include "config/configuration.h"
#include "link/http/http_transport.h"
#include "link/serial/serial_transport.h"
#include "link/tcp/tcp_transport.h"
#include "link/udp/udp_transport.h"
#include "link/xmodem/xmodem_transport.h"

namespace linkwright {

namespace {

// What an unknown mode gives: nothing opens, nothing is sent, nothing arrives.
class NoTransport : public Transport {
 public:
  explicit NoTransport(int32_t mode) : m_Mode(mode) {}

  bool Open() override {
    return Fail(ErrorKind::kSetting, "no link for mode " + std::to_string(m_Mode));
  }
  bool Close() override { return false; }
  bool IsOpen() const override { return false; }
  bool Send(const ByteString& /*message*/) override { return Open(); }
  Arrival TakeWaiting(size_t /*limit*/) override { return {}; }
  std::string Description() const override { return {}; }
  LinkState State() const override { return LinkState::kNoLink; }

 private:
  int32_t m_Mode;
};

}  // namespace

LinkKind ConfiguredLinkKind(const Configuration& config) {
  return {config.GetInt(setting::kMode), config.GetBool(setting::kActAsServer)};
}

std::unique_ptr<Transport> MakeTransport(const LinkKind& kind, const Configuration& config) {
  switch (kind.mode) {
    case kModeComm:
      return std::make_unique<SerialTransport>(config);
    case kModeTcp:
      if (kind.server) {
        return std::make_unique<TcpServerTransport>(config);
      }
      return std::make_unique<TcpClientTransport>(config);
    case kModeUdp:
      if (kind.server) {
        return std::make_unique<UdpServerTransport>(config);
      }
      return std::make_unique<UdpClientTransport>(config);
    case kModeHttp:
      return std::make_unique<HttpTransport>(config);
    case kModeXmodem:
      return std::make_unique<XmodemTransport>(config);
    default:
      return std::make_unique<NoTransport>(kind.mode);
  }
}

}  // namespace linkwright
