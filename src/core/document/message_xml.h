#pragma once

#include <vector>

#include "byte_string.h"
#include "document/message_table.h"
#include "error.h"

namespace linkwright {

// The XML message file: the declaration, the root element Linkwright and, for rows 1 …
// LastUsedRow(), one row element holding message, comment, active ("1" or "0") and trigger.
// TAB indentation, CR LF line ends; values are written with entities for < & > ' ".
ByteString FormatMessageXml(const MessageTable& table);

// Rows of an XML message file, taken from the row elements under the top-level element
// (whatever its name) in document order, at most `maxRows`. A missing child element gives an
// empty text (active 0). Fails with the reader's error when the text is not XML.
Error ParseMessageXml(const ByteString& data, int maxRows, std::vector<MessageRow>& rows);

}  // namespace linkwright
