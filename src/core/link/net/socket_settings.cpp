#include "link/net/socket_settings.h"

#include <limits>
#include <string>

#include "config/configuration.h"

namespace linkwright {

Error ReadSocketPort(const Configuration& config, uint16_t& port) {
  const int32_t value = config.GetInt(setting::kSocketPort);
  if (value < 1 || value > std::numeric_limits<uint16_t>::max()) {
    return {ErrorKind::kSetting, "SocketPort " + std::to_string(value) + " is outside 1 … 65535"};
  }
  port = static_cast<uint16_t>(value);
  return {};
}

}  // namespace linkwright
