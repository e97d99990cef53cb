#include "config/config_file_path.h"

#include <system_error>

#include "ascii_text.h"
#include "config/ini_file.h"

namespace linkwright {

namespace {

// Drops `suffix` (either case) when the name is longer than the suffix.
void DropSuffix(std::string& name, std::string_view suffix) {
  if (name.size() > suffix.size() &&
      EqualsIgnoringCase(std::string_view(name).substr(name.size() - suffix.size()), suffix)) {
    name.resize(name.size() - suffix.size());
  }
}

}  // namespace

std::string ConfigFileNameFor(std::string_view programBaseName) {
  std::string name(programBaseName);
  DropSuffix(name, "-d");
  DropSuffix(name, "-cli");
  return name + ".cfg";
}

ConfigFileLocation FindDefaultConfigLocation(const std::filesystem::path& programPath,
                                             std::string_view xdgConfigHome,
                                             std::string_view home) {
  std::filesystem::path besideProgram =
      programPath.parent_path() / ConfigFileNameFor(programPath.stem().string());
  std::error_code error;
  if (std::filesystem::is_regular_file(besideProgram, error)) {
    return {besideProgram, false};
  }
  std::filesystem::path configHome;
  if (std::filesystem::path(xdgConfigHome).is_absolute()) {
    configHome = xdgConfigHome;
  } else if (!home.empty()) {
    configHome = std::filesystem::path(home) / ".config";
  } else {
    return {besideProgram, false};
  }
  return {configHome / "linkwright" / "linkwright.cfg", true};
}

}  // namespace linkwright
