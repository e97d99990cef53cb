#include "checksum/crc_report.h"

#include <cstdio>

#include "checksum/checksum.h"
#include "codec/escape_codec.h"

namespace linkwright {

namespace {

// The start of a result line: labels are padded so the arrows line up.
std::string LinePrefix(const char* label) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "   %-15s --> ", label);
  return prefix;
}

// The value appears twice: in decimal, right-aligned in eight columns, and in upper-case
// hexadecimal with at least `hexDigits` digits.
std::string CodeLine(const char* label, int32_t value, int hexDigits) {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%8d (HEX %0*X)", value, hexDigits,
                static_cast<unsigned>(value));
  return LinePrefix(label) + numbers;
}

constexpr int kByteDigits = 2;
constexpr int kWordDigits = 4;

}  // namespace

std::vector<std::string> CrcReportLines(const ByteString& bytes) {
  if (bytes.empty()) {
    return {};
  }
  // The selection is concatenated, never used as a format, so '%' in it prints unchanged.
  return {
      "*** CRC \"" + BytesToText(bytes, false) + "\"  (HEX \"" + HexDump(bytes, " ") +
          "\")  ... ***",
      CodeLine("xor", XorChecksum(bytes), kByteDigits),
      CodeLine("lrc", LrcChecksum(bytes), kByteDigits),
      CodeLine("lrc (modbus )", ModbusLrc(bytes), kByteDigits),
      CodeLine("crc (modbus )", ModbusCrc(bytes), kWordDigits),
      CodeLine("crc (modbus GE)", ModbusGeCrc(bytes), kWordDigits),
      CodeLine("crc (sol)", SolCrc(bytes), kWordDigits),
      CodeLine("crc (OPLC)", OplcCrc(bytes), kWordDigits),
      LinePrefix("md5") + Md5Hex(bytes),
  };
}

}  // namespace linkwright
