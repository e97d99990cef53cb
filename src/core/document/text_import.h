#pragma once

#include <string_view>
#include <vector>

#include "document/message_table.h"

namespace linkwright {

// Reads the line-oriented text import: three LF-separated lines per row, "F<key> <active>",
// then "message //comment", then the trigger. Reading stops at the end of the data, after at
// most `maxRows` rows; a row cut short keeps the lines it has. Never fails.
std::vector<MessageRow> ParseTextImport(std::string_view data, int maxRows);

}  // namespace linkwright
