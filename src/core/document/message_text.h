#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "document/message_table.h"

namespace linkwright {

// Turning the texts of imported rows (text import, archive) into row fields.

// `text` without the blanks, TABs, CRs and LFs at both ends.
std::string TrimBlanks(std::string_view text);

// Splits "message //comment" at the first " //": the message is the text before it (not
// trimmed), the comment the text after the three characters, trimmed. Without " //" the whole
// text is the message and the comment is empty.
std::pair<std::string, std::string> SplitMessageComment(std::string_view text);

// A row from its imported texts: `messageAndComment` is trimmed and split, `trigger` trimmed.
MessageRow MakeImportedRow(int active, std::string_view messageAndComment,
                           std::string_view trigger);

// Reads a decimal integer at `position` the way atoi does: leading blanks, an optional sign, at
// least one digit; the value saturates at the limits of int. Advances `position` past the
// number; false (position unchanged) when there are no digits.
bool ReadDecimal(std::string_view text, size_t& position, int& value);

// The value of a leading decimal integer, 0 when the text does not start with one.
int DecimalValue(std::string_view text);

}  // namespace linkwright
