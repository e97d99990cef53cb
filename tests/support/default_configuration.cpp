#include "support/default_configuration.h"

#include <gtest/gtest.h>

#include "config/configuration.h"

namespace linkwright {

void ResetConfigurationToDefaults() {
  for (const ConfigKey& row : Configuration::KeyTable()) {
    GetConfiguration().SetFormatted(row.section, row.key, "%s", row.defaultValue);
  }
}

void SetSetting(const SettingKey& setting, const std::string& value) {
  GetConfiguration().Set(setting, value);
}

}  // namespace linkwright
