#pragma once

#include <string>

#include "config/config_keys.h"

namespace linkwright {

// Puts every value of the process-wide configuration back to its key-table default, so a
// test starts from what a fresh installation reads.
void ResetConfigurationToDefaults();

// Sets one value of the process-wide configuration.
void SetSetting(const SettingKey& setting, const std::string& value);

}  // namespace linkwright
