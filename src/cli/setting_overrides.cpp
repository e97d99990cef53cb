#include "setting_overrides.h"

#include <optional>

#include "config/configuration.h"
#include "config/setting_values.h"

namespace linkwright {

namespace {

struct SettingAssignment {
  std::string section;
  std::string key;
  std::string value;
};

// "SECTION.KEY=VALUE": the section ends at the first dot, the key at the first equals sign;
// the value may be empty and may hold dots and equals signs.
SettingAssignment ParseAssignment(const std::string& text) {
  size_t equals = text.find('=');
  size_t dot = text.find('.');
  if (equals == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= equals) {
    throw CLI::ValidationError("--set", "'" + text + "' is not SECTION.KEY=VALUE");
  }
  SettingAssignment assignment{text.substr(0, dot), text.substr(dot + 1, equals - dot - 1),
                               text.substr(equals + 1)};
  std::optional<size_t> index = Configuration::KeyIndex(assignment.section, assignment.key);
  if (!index) {
    throw CLI::ValidationError(
        "--set", "unknown setting '" + assignment.section + "." + assignment.key + "'");
  }
  if (const Error problem = SettingValueProblem(*index, assignment.value); problem.Failed()) {
    throw CLI::ValidationError("--set", problem.Message());
  }
  return assignment;
}

}  // namespace

void AddSettingOverrideOption(CLI::App& command, std::vector<std::string>& assignments) {
  command
      .add_option("--set", assignments,
                  "Change a setting for this run only (repeatable), e.g. Connection.Mode=1")
      ->type_name("SECTION.KEY=VALUE")
      ->allow_extra_args(false);
}

void ApplySettingOverrides(const std::vector<std::string>& assignments) {
  std::vector<SettingAssignment> parsed;
  for (const std::string& text : assignments) {
    parsed.push_back(ParseAssignment(text));
  }
  for (const SettingAssignment& assignment : parsed) {
    GetConfiguration().SetFormatted(assignment.section, assignment.key, "%s",
                                    assignment.value.c_str());
  }
}

}  // namespace linkwright
