#include "support/default_configuration.h"

#include <gtest/gtest.h>

#include "config/configuration.h"

void ResetConfigurationToDefaults() {
  for (const ConfigKey& row : CConfiguration::KeyTable()) {
    GetConfiguration().SetFormatted(row.section, row.key, "%s", row.defaultValue);
  }
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
  EXPECT_TRUE(GetConfiguration().SetFormatted(section, key, "%s", value.c_str()))
      << section << "/" << key;
}
