#include "link/net/socket_settings.h"

#include <limits>

#include "config/configuration.h"

bool ReadSocketPort(const CConfiguration& config, uint16_t& port, std::string& reason) {
  const int32_t value = config.GetInt(setting::kSocketPort);
  if (value < 1 || value > std::numeric_limits<uint16_t>::max()) {
    reason = "SocketPort " + std::to_string(value) + " is outside 1 … 65535";
    return false;
  }
  port = static_cast<uint16_t>(value);
  return true;
}
