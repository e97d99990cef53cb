#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace linkwright {

// Where the configuration file lives when no path is given on the command line.

// The file name that belongs to a program's base name (its file name without extension): a
// trailing "-d" (either case) is dropped when the name is longer than 2 characters, then a
// trailing "-cli" (either case) when the name is longer than 4, and ".cfg" is added. So
// linkwright, linkwright-d and linkwright-cli all use linkwright.cfg.
std::string ConfigFileNameFor(std::string_view programBaseName);

struct ConfigFileLocation {
  std::filesystem::path path;
  // True for the per-user location, whose folders a save creates; a file beside the program
  // is used only when it already exists.
  bool createFolders = false;
};

// The file beside `programPath` named by `ConfigFileNameFor` when that file exists (portable
// use); otherwise linkwright/linkwright.cfg under `xdgConfigHome` when that is an absolute
// path, else under `home`/.config. Empty texts stand for unset variables; with neither set
// the file beside the program is used.
ConfigFileLocation FindDefaultConfigLocation(const std::filesystem::path& programPath,
                                             std::string_view xdgConfigHome, std::string_view home);

}  // namespace linkwright
