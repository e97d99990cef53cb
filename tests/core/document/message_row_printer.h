#pragma once

#include <ostream>

#include "codec/escape_codec.h"
#include "document/message_table.h"

namespace linkwright {

// Lets GoogleTest show rows readably (control bytes in symbol form) when a comparison fails.
inline void PrintTo(const MessageRow& row, std::ostream* out) {
  *out << "{message \"" << BytesToText(row.message, false) << "\", comment \""
       << BytesToText(row.comment, false) << "\", active " << row.active << ", trigger \""
       << BytesToText(row.trigger, false) << "\"}";
}

}  // namespace linkwright
