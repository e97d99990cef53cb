#pragma once

#include <string>

namespace linkwright {

// A counted sequence of 8-bit values that may hold 0x00 anywhere: message bytes on the wire,
// document text, file contents. Escaped text uses the same type; the two differ in meaning only.
using ByteString = std::string;

}  // namespace linkwright
