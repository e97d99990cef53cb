#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "byte_string.h"

namespace linkwright {

// The checksums a scenario step can add to a sent message or check at the end of a packet, by
// the names the checksum report uses for them.
enum class ChecksumCode { kXor, kLrc, kLrcModbus, kCrcModbus, kCrcModbusGe, kCrcSol, kCrcOplc };

// The code a name stands for: "xor", "lrc", "lrc-modbus", "crc-modbus", "crc-modbus-ge",
// "crc-sol", "crc-oplc"; nothing for any other name.
std::optional<ChecksumCode> ChecksumByName(std::string_view name);
// Every name ChecksumByName knows, comma-separated, for an error message.
std::string ChecksumNames();
// The checksum of `bytes` as the bytes that follow them on the wire: one byte, or two with the
// high byte first, as the checksum report writes the value in hexadecimal.
ByteString ChecksumBytes(ChecksumCode code, const ByteString& bytes);

}  // namespace linkwright
