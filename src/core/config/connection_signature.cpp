#include "config/connection_signature.h"

#include <array>

#include "config/configuration.h"

namespace linkwright {

std::string ConnectionSignature(const Configuration& configuration) {
  constexpr std::array<SettingKey, 5> kKeys = {setting::kMode, setting::kActAsServer,
                                               setting::kSocketHost, setting::kSocketPort,
                                               setting::kCommConfig};
  std::string signature = configuration.GetString(kKeys[0]);
  for (size_t i = 1; i < kKeys.size(); ++i) {
    signature += '|';
    signature += configuration.GetString(kKeys[i]);
  }
  return signature;
}

}  // namespace linkwright
