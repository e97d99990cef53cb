#pragma once

#include <string>
#include <vector>

#include "byte_string.h"

namespace linkwright {

// The lines the checksum command writes for a selection already decoded to bytes: a header
// with the bytes in symbol form and in hexadecimal, then one line per checksum (xor, lrc,
// Modbus lrc, Modbus crc, Modbus GE crc, sol crc, OPLC crc, md5), without line ends.
// Empty bytes give no lines.
std::vector<std::string> CrcReportLines(const ByteString& bytes);

}  // namespace linkwright
