#include "config/connection_signature.h"

#include <array>

#include "config/configuration.h"

std::string ConnectionSignature(const CConfiguration& configuration) {
  constexpr std::array<const char*, 5> kKeys = {"Mode", "ActAsServer", "SocketHost", "SocketPort",
                                                "CommConfig"};
  std::string signature = configuration.GetString("Connection", kKeys[0]);
  for (size_t i = 1; i < kKeys.size(); ++i) {
    signature += '|';
    signature += configuration.GetString("Connection", kKeys[i]);
  }
  return signature;
}
