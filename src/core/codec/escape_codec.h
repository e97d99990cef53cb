#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "byte_string.h"

namespace linkwright {

// The escape syntax of message text: control bytes as bracketed names ([CR]), any byte as
// [xHEX] or [DEC]. Decoding never fails: a malformed escape stands for its literal characters.

// Name of a control byte 0..31 ("NUL" … "US"); empty for any other value.
std::string ControlSymbolName(int value);

// Decodes one byte at `position` and advances `position` past what it consumed.
char ReadEscapedByte(const std::string& text, size_t& position);

// Decodes a whole escaped text.
ByteString TextToBytes(const std::string& text);

// Decodes a whole escaped text over itself, for callers that own a copy anyway; the result
// equals TextToBytes of the original text.
void TextToBytesInPlace(std::string& text);

// Symbol form (control bytes as [NAME], everything else unchanged) or, with `allHex`,
// every byte as [xHH].
std::string BytesToText(std::string_view bytes, bool allHex);
// The same appended to `text`, for a caller that builds a longer text around it.
void AppendBytesAsText(std::string_view bytes, bool allHex, std::string& text);

// Every byte as two upper-case hexadecimal digits followed by `separator`.
std::string HexDump(std::string_view bytes, const std::string& separator);
// The same appended to `text`.
void AppendHexDump(std::string_view bytes, const std::string& separator, std::string& text);

}  // namespace linkwright
