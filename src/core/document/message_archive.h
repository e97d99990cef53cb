#pragma once

#include <string_view>
#include <vector>

#include "document/message_table.h"

namespace linkwright {

// Reads rows from a serialization archive: per row a 32-bit little-endian active value, then
// two counted strings ("message //comment" and the trigger). A counted string is a length
// (one byte below 255; else 0xFF and 16 bits below 0xFFFF; else 0xFF, 0xFFFF and 32 bits; all
// little-endian) followed by that many bytes. 0xFF 0xFFFE in place of a length marks a string
// of 16-bit characters, whose length follows in the same form; such text is converted to UTF-8.
// Reading stops at the first row that is incomplete or malformed, after at most `maxRows`
// rows; the rows read before it are kept. Never fails.
std::vector<MessageRow> ParseMessageArchive(std::string_view data, int maxRows);

}  // namespace linkwright
