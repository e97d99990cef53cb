#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli_context.h"
#include "config/configuration.h"
#include "config/setting_values.h"

namespace linkwright {

namespace {

// Loads the process-wide configuration, from `--config FILE` when given. False, with the reason
// in its LastError, when a file is there that cannot be read: then every value is its default.
bool LoadConfigurationFile(const CliContext& context) {
  if (!context.configPath.empty()) {
    Configuration::SetFilePath(context.configPath);
  }
  return GetConfiguration().Load();
}

const std::string& ConfigurationProblem() {
  return GetConfiguration().LastError().Message();
}

}  // namespace

void LoadConfiguration(const CliContext& context) {
  // The defaults stand in for a file that cannot be read; a warning says so, since settings
  // the user made there are not in force.
  if (!LoadConfigurationFile(context)) {
    std::cerr << "linkwright-cli: warning: " << ConfigurationProblem()
              << "; using the default settings\n";
  }
}

namespace {

struct SettingArguments {
  std::string section;
  std::string key;
  std::string value;
  bool asInt = false;
  bool asBool = false;
};

// The key-table row the arguments name, or a failure line for the user.
std::optional<size_t> KnownSetting(const SettingArguments& arguments, CliContext& context) {
  std::optional<size_t> index = Configuration::KeyIndex(arguments.section, arguments.key);
  if (!index) {
    context.exitCode = Fail("unknown setting '" + arguments.section + "' '" + arguments.key +
                            "' (see 'config list' for the sections and keys)");
  }
  return index;
}

void ListSettings() {
  const Configuration& configuration = GetConfiguration();
  const auto& table = Configuration::KeyTable();
  for (size_t i = 0; i < table.size(); ++i) {
    // An added setting shows once it holds more than its default, so the list stays as it was
    // for those who never use it.
    if (i >= Configuration::kListedKeyCount && configuration.ValueAt(i) == table[i].defaultValue) {
      continue;
    }
    std::cout << table[i].section << '.' << table[i].key << '=' << configuration.ValueAt(i) << '\n';
  }
}

void PrintSetting(const SettingArguments& arguments) {
  const Configuration& configuration = GetConfiguration();
  if (arguments.asInt) {
    std::cout << configuration.GetInt(arguments.section, arguments.key) << '\n';
  } else if (arguments.asBool) {
    std::cout << (configuration.GetBool(arguments.section, arguments.key) ? 1 : 0) << '\n';
  } else {
    std::cout << configuration.GetString(arguments.section, arguments.key) << '\n';
  }
}

// A value the setting takes and the file can hold as given; otherwise the reason it cannot.
Error ValueProblem(size_t index, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) {
    return Error(ErrorKind::kSetting, "a setting cannot hold a line break");
  }
  return SettingValueProblem(index, value);
}

void StoreSetting(size_t index, const SettingArguments& arguments, CliContext& context) {
  if (const Error problem = ValueProblem(index, arguments.value); problem.Failed()) {
    throw CLI::ValidationError("VALUE", problem.Message());
  }
  // The save reads the file again under its lock, so that only this one key changes even when
  // another `config set` saves the same file meanwhile.
  Configuration& configuration = GetConfiguration();
  configuration.SetFormatted(arguments.section, arguments.key, "%s", arguments.value.c_str());
  if (!configuration.Save()) {
    context.exitCode =
        Fail("cannot save the configuration file " + Configuration::FilePath().string());
  }
}

void AddSectionAndKey(CLI::App& command, SettingArguments& arguments) {
  command.add_option("SECTION", arguments.section, "Section, e.g. Connection")->required();
  command.add_option("KEY", arguments.key, "Key, e.g. SocketPort")->required();
}

}  // namespace

void AddConfigCommands(CLI::App& app, CliContext& context) {
  auto* config = app.add_subcommand("config", "Show and change the settings");
  config->require_subcommand(1);

  auto* list = config->add_subcommand("list", "Print every setting as Section.Key=value");
  list->callback([&context] {
    LoadConfiguration(context);
    ListSettings();
  });

  auto getArguments = std::make_shared<SettingArguments>();
  auto* get = config->add_subcommand("get", "Print one setting");
  auto* asInt = get->add_flag("--int", getArguments->asInt, "Print the value read as an integer");
  get->add_flag("--bool", getArguments->asBool, "Print the value read as a switch (0 or 1)")
      ->excludes(asInt);
  AddSectionAndKey(*get, *getArguments);
  get->callback([&context, getArguments] {
    LoadConfiguration(context);
    if (KnownSetting(*getArguments, context)) {
      PrintSetting(*getArguments);
    }
  });

  auto setArguments = std::make_shared<SettingArguments>();
  auto* set = config->add_subcommand("set", "Change one setting and save the file");
  AddSectionAndKey(*set, *setArguments);
  set->add_option("VALUE", setArguments->value, "New value (may be empty)")->required();
  set->callback([&context, setArguments] {
    // A file that cannot be read cannot be saved either (a FIFO, a device, a folder).
    if (!LoadConfigurationFile(context)) {
      context.exitCode = Fail(ConfigurationProblem());
    } else if (std::optional<size_t> index = KnownSetting(*setArguments, context)) {
      StoreSetting(*index, *setArguments, context);
    }
  });
}

}  // namespace linkwright
