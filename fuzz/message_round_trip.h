#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "document/message_file.h"
#include "document/message_table.h"
#include "document/message_xml.h"

namespace linkwright {

// Loads fuzz input in one message file format and checks that the rows that loaded survive a
// save as XML and a load of that XML; aborts when they do not.
inline void LoadAndCheckRoundTrip(MessageFileFormat format, const uint8_t* data, size_t size) {
  MessageTable table;
  ByteString bytes(reinterpret_cast<const char*>(data), size);
  if (LoadMessageBytes(table, format, bytes).Failed()) {
    return;
  }
  MessageTable reloaded;
  if (LoadMessageBytes(reloaded, MessageFileFormat::kXml, FormatMessageXml(table)).Failed()) {
    std::abort();
  }
  for (int row = 1; row <= table.RowCount(); ++row) {
    // Rows after the last used one are not saved (an active mark alone does not count), and
    // the active value is saved as 1 or 0.
    MessageRow saved = row <= table.LastUsedRow() ? table.GetRow(row) : MessageRow{};
    saved.active = saved.active != 0 ? 1 : 0;
    if (!(saved == reloaded.GetRow(row))) {
      std::abort();
    }
  }
}

}  // namespace linkwright
