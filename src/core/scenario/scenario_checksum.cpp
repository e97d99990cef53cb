#include "scenario/scenario_checksum.h"

#include <array>
#include <cstdint>

#include "checksum/checksum.h"

namespace linkwright {

namespace {

struct ChecksumEntry {
  ChecksumCode code;
  const char* name;
  int32_t (*compute)(ByteString bytes);
  int width;
};

constexpr std::array<ChecksumEntry, 7> kChecksums{{
    {ChecksumCode::kXor, "xor", XorChecksum, 1},
    {ChecksumCode::kLrc, "lrc", LrcChecksum, 1},
    {ChecksumCode::kLrcModbus, "lrc-modbus", ModbusLrc, 1},
    {ChecksumCode::kCrcModbus, "crc-modbus", ModbusCrc, 2},
    {ChecksumCode::kCrcModbusGe, "crc-modbus-ge", ModbusGeCrc, 2},
    {ChecksumCode::kCrcSol, "crc-sol", SolCrc, 2},
    {ChecksumCode::kCrcOplc, "crc-oplc", OplcCrc, 2},
}};

const ChecksumEntry& EntryOf(ChecksumCode code) {
  return kChecksums[static_cast<size_t>(code)];
}

}  // namespace

std::optional<ChecksumCode> ChecksumByName(std::string_view name) {
  for (const ChecksumEntry& entry : kChecksums) {
    if (name == entry.name) {
      return entry.code;
    }
  }
  return std::nullopt;
}

std::string ChecksumNames() {
  std::string names;
  for (const ChecksumEntry& entry : kChecksums) {
    names += names.empty() ? "" : ", ";
    names += entry.name;
  }
  return names;
}

ByteString ChecksumBytes(ChecksumCode code, const ByteString& bytes) {
  const ChecksumEntry& entry = EntryOf(code);
  const auto value = static_cast<uint32_t>(entry.compute(bytes));
  ByteString result;
  for (int shift = 8 * (entry.width - 1); shift >= 0; shift -= 8) {
    result += static_cast<char>((value >> shift) & 0xFF);
  }
  return result;
}

}  // namespace linkwright
