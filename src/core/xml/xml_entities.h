#pragma once

#include <cstdint>
#include <string_view>

#include "byte_string.h"

namespace linkwright {

// The five XML entities (&lt; &amp; &gt; &apos; &quot;) and character references.

// Decodes text[left..right] of NUL-terminated document text: the five entities become their
// characters and &#N; / &#xH; references (at most 7 bytes before the ';') become UTF-8 forms.
// Anything else, including an unknown entity, is copied unchanged.
ByteString DecodeXmlText(const char* text, int32_t left, int32_t right);

// Replaces each of < & > ' " with its entity.
ByteString EncodeXmlText(std::string_view value);

}  // namespace linkwright
