#pragma once

#include <filesystem>
#include <string_view>

#include "error.h"

namespace linkwright {

// Replaces the regular file at `path` (or creates it) with `bytes` so that the old content survives
// any failure: the bytes go to a new file in the same folder, which is flushed to the disk and then
// renamed over the old one (a symbolic link is followed, so the file it points to is replaced). The
// new file keeps the old file's permissions. On failure the old file is untouched, the temporary
// file is removed, and the returned error (kind kSystem) says what went wrong ("cannot write PATH:
// No space left on device").
Error WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace linkwright
