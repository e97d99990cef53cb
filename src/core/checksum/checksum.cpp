#include "checksum/checksum.h"

#include <openssl/evp.h>

#include <algorithm>
#include <boost/crc.hpp>
#include <cctype>
#include <numeric>
#include <utility>

#include "codec/escape_codec.h"
#include "diag/diag_log.h"

namespace linkwright {

namespace {

// Width 16, polynomial 0x8005, initial value 0xFFFF, reflected in and out, no final XOR.
using Crc16Modbus = boost::crc_optimal<16, 0x8005, 0xFFFF, 0, true, true>;
// Width 16, polynomial 0x1021, initial value 0, reflected in and out, no final XOR.
using Crc16Kermit = boost::crc_optimal<16, 0x1021, 0, 0, true, true>;

constexpr size_t kSolCrcMaxBytes = 1000;

template <typename Crc>
uint16_t CrcOf(const ByteString& bytes) {
  Crc crc;
  crc.process_bytes(bytes.data(), bytes.size());
  return static_cast<uint16_t>(crc.checksum());
}

uint32_t ByteSum(const ByteString& bytes) {
  return std::accumulate(bytes.begin(), bytes.end(), uint32_t{0},
                         [](uint32_t sum, char b) { return sum + static_cast<unsigned char>(b); });
}

int32_t SwapBytes(uint16_t value) {
  return ((value & 0xFF) << 8) | (value >> 8);
}

// '0'..'9' give 0..9; every other byte its signed value minus 55, which maps 'A'..'F' to 10..15.
int32_t LrcDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  return static_cast<int32_t>(static_cast<signed char>(c)) - 55;
}

}  // namespace

int32_t XorChecksum(ByteString bytes) {
  unsigned char r = 0;
  for (char b : bytes) {
    r ^= static_cast<unsigned char>(b);
  }
  return r;
}

int32_t LrcChecksum(ByteString bytes) {
  int32_t r = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    r ^= LrcDigitValue(bytes[i]) * 16 + LrcDigitValue(bytes[i + 1]);
  }
  return r;
}

int32_t ModbusLrc(ByteString bytes) {
  return static_cast<int32_t>((256 - ByteSum(bytes) % 256) % 256);
}

int32_t ModbusCrc(ByteString bytes) {
  TextToBytesInPlace(bytes);
  return ModbusGeCrc(std::move(bytes));
}

int32_t ModbusGeCrc(ByteString bytes) {
  return SwapBytes(CrcOf<Crc16Modbus>(bytes));
}

int32_t SolCrc(ByteString bytes) {
  TextToBytesInPlace(bytes);
  bytes.resize(std::min(bytes.size(), kSolCrcMaxBytes));
  return CrcOf<Crc16Kermit>(bytes);
}

int32_t OplcCrc(ByteString bytes) {
  return static_cast<int32_t>((65536 - ByteSum(bytes) % 65536) % 65536);
}

std::string Md5Hex(ByteString bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) {
    // Only a crypto provider that refuses MD5 (FIPS mode) gets here.
    DiagLog('E', "Md5Hex() : EVP_Digest() failed");
    return {};
  }
  std::string hex = HexDump(ByteString(reinterpret_cast<const char*>(digest), length), "");
  std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return hex;
}

}  // namespace linkwright
