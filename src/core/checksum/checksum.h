#pragma once

#include <cstdint>
#include <string>

#include "byte_string.h"

namespace linkwright {

// The integrity codes of the checksum calculator. Each function takes its own copy of the bytes
// and keeps no state. The numeric results are never negative except for `LrcChecksum` over
// bytes that are not upper-case hexadecimal digits.

// XOR of all bytes: 0 to 255.
int32_t XorChecksum(ByteString bytes);

// Reads the bytes as pairs of upper-case hexadecimal digits and XORs the values they spell
// (0 to 255 for such text). Any byte other than '0'..'9' counts as its signed 8-bit value
// minus 55, so lower-case letters and other characters give values outside 0..15; an odd last
// byte is not counted.
int32_t LrcChecksum(ByteString bytes);

// Two's complement of the byte sum modulo 256, as in Modbus ASCII: 0 to 255.
int32_t ModbusLrc(ByteString bytes);

// CRC-16/MODBUS of TextToBytes(bytes) with its two bytes exchanged, so the high byte of the
// result is the one a Modbus RTU frame sends first: 0 to 65535. The bytes are decoded as
// escaped text once more, although callers usually hand in decoded bytes; stored check values
// rely on that second decoding.
int32_t ModbusCrc(ByteString bytes);

// CRC-16/MODBUS of the bytes as they are, in the same byte order as `ModbusCrc`: 0 to 65535.
int32_t ModbusGeCrc(ByteString bytes);

// CRC-16/KERMIT of the first 1000 bytes of TextToBytes(bytes): 0 to 65535.
int32_t SolCrc(ByteString bytes);

// Two's complement of the byte sum modulo 65536: 0 to 65535.
int32_t OplcCrc(ByteString bytes);

// MD5 digest as 32 lower-case hexadecimal digits.
std::string Md5Hex(ByteString bytes);

}  // namespace linkwright
