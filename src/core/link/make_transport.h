#pragma once

#include <memory>

#include "link/transport.h"

namespace linkwright {

class Configuration;

// Values of "Connection"/"Mode"; any other value means no transport.
enum LinkMode : int32_t {
  kModeComm = 0,
  kModeTcp = 1,
  kModeUdp = 2,
  kModeHttp = 3,
  kModeXmodem = 4,
};

// A mode and, for Tcp and Udp, whether the tool acts as server.
struct LinkKind {
  int32_t mode = -1;
  bool server = false;

  bool operator==(const LinkKind&) const = default;
};

// The kind of link the settings name now.
LinkKind ConfiguredLinkKind(const Configuration& config);

// The transport of a kind, not yet open. A mode that names no transport gives one that never
// opens and describes itself as empty.
std::unique_ptr<Transport> MakeTransport(const LinkKind& kind, const Configuration& config);

}  // namespace linkwright
