#pragma once

#include <filesystem>

namespace linkwright {

// Full path of the running program's file; empty when the platform cannot tell.
std::filesystem::path ProgramPath();

}  // namespace linkwright
