#pragma once

#include <string>

// Puts every value of the process-wide configuration back to its key-table default, so a
// test starts from what a fresh installation reads.
void ResetConfigurationToDefaults();

// Sets one value of the process-wide configuration; fails the test for an unknown key.
void SetSetting(const std::string& section, const std::string& key, const std::string& value);
