#pragma once

#include <string_view>

#include "byte_string.h"

namespace linkwright {

// Tag builders for writing XML one line at a time.
//
// Element values are written with the five entities &lt; &amp; &gt; &apos; &quot; in place of
// the characters they stand for, so any value without a NUL byte reads back unchanged through
// XmlReader. Attributes are passed as preformatted text (name="value" pairs) and written as
// given: the caller quotes and encodes them.

// "<name>" or, with attributes, "<name attributes>".
ByteString XmlOpenTag(std::string_view name, std::string_view attributes = {});

// "</name>".
ByteString XmlCloseTag(std::string_view name);

// XmlOpenTag(name, attributes) + the encoded value + XmlCloseTag(name), on one line.
ByteString XmlElement(std::string_view name, std::string_view value,
                      std::string_view attributes = {});

}  // namespace linkwright
