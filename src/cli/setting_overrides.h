#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace linkwright {

// Adds the repeatable option `--set SECTION.KEY=VALUE` to a command; the assignments are
// collected into `assignments` in the order given.
void AddSettingOverrideOption(CLI::App& command, std::vector<std::string>& assignments);

// Applies the assignments to the process-wide configuration in memory (the file is not
// written); a later assignment of the same key wins. Throws CLI::ValidationError, a usage
// error, for an assignment that is not SECTION.KEY=VALUE, names no setting, or gives a value
// the setting does not take (see SettingValueProblem); then nothing has changed.
void ApplySettingOverrides(const std::vector<std::string>& assignments);

}  // namespace linkwright
