#pragma once

#include <cstddef>
#include <string_view>

#include "error.h"

namespace linkwright {

// The values a setting sensibly takes, for the places where a user types one. The store itself
// stays tolerant: a file may hold anything, and readers take its leading number as before.

// Why `value` does not fit key-table row `index` (0 … 21), as a kSetting error, or no failure
// when it does: longer than Configuration::kMaxFormattedLength characters, or, for a key read
// as a number or a switch, not a decimal integer (digits only) in the key's range. The message
// names the key as Section.Key and quotes the value.
Error SettingValueProblem(size_t index, std::string_view value);

}  // namespace linkwright
