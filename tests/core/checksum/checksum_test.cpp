#include "checksum/checksum.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <random>

#include "codec/escape_codec.h"

namespace linkwright {

namespace {

using namespace std::string_literals;

// Reference registers written straight from the published rules, one step at a time, so the
// library-backed functions are checked against an independent computation.

struct ModbusTables {
  std::array<uint8_t, 256> high{};
  std::array<uint8_t, 256> low{};
};

ModbusTables BuildModbusTables() {
  ModbusTables tables;
  for (unsigned k = 0; k < 256; ++k) {
    unsigned e = k;
    for (int bit = 0; bit < 8; ++bit) {
      e = (e & 1) ? (e >> 1) ^ 0xA001 : e >> 1;
    }
    tables.high[k] = static_cast<uint8_t>(e & 0xFF);
    tables.low[k] = static_cast<uint8_t>(e >> 8);
  }
  return tables;
}

int32_t ModbusByTables(const ByteString& bytes) {
  static const ModbusTables tables = BuildModbusTables();
  unsigned hi = 0xFF;
  unsigned lo = 0xFF;
  for (unsigned char b : bytes) {
    unsigned k = b ^ hi;
    hi = tables.high[k] ^ lo;
    lo = tables.low[k];
  }
  return static_cast<int32_t>(hi * 256 + lo);
}

int32_t ModbusBitByBit(const ByteString& bytes) {
  unsigned crc = 0xFFFF;
  for (unsigned char b : bytes) {
    unsigned d = b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = ((d ^ crc) & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
      d >>= 1;
    }
  }
  return static_cast<int32_t>((crc & 0xFF) * 256 + (crc >> 8));
}

// CRC-16/KERMIT: polynomial 0x1021 reflected (0x8408), initial value 0, no final XOR.
int32_t KermitBitByBit(const ByteString& bytes) {
  unsigned crc = 0;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
  }
  return static_cast<int32_t>(crc);
}

// The two-register nibble form of the sol code.
int32_t SolByRegisters(const ByteString& bytes) {
  auto ror1 = [](unsigned v) { return ((v >> 1) | (v << 7)) & 0xFF; };
  auto swap = [](unsigned v) { return ((v >> 4) | (v << 4)) & 0xFF; };
  unsigned a = 0;
  unsigned b = 0;
  for (unsigned char byte : bytes) {
    unsigned x = byte ^ a;
    unsigned s = swap(x);
    unsigned t = s ^ x;
    unsigned newA = (ror1(s) & 0xF8) ^ (t & 0x0F) ^ (ror1(x) & 0x80) ^ b;
    unsigned newB = (ror1(t) & 0x07) ^ (s & 0xF0) ^ x;
    a = newA;
    b = newB;
  }
  return static_cast<int32_t>(b * 256 + a);
}

ByteString RandomBytes(std::mt19937& random, size_t size) {
  ByteString bytes(size, '\0');
  for (char& b : bytes) {
    b = static_cast<char>(random() % 256);
  }
  return bytes;
}

using Checksum = std::function<int32_t(ByteString)>;

struct ValueCase {
  const char* name;
  Checksum function;
  ByteString input;
  int32_t expected;
};

void PrintTo(const ValueCase& value, std::ostream* out) {
  *out << value.name << " over " << value.input.size() << " bytes";
}

class ChecksumValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(ChecksumValueTest, GivesKnownValue) {
  EXPECT_EQ(GetParam().function(GetParam().input), GetParam().expected)
      << HexDump(GetParam().input.substr(0, 16), " ");
}

const ByteString kDigits = "123456789";

INSTANTIATE_TEST_SUITE_P(
    KnownValues, ChecksumValueTest,
    testing::Values(
        ValueCase{"xor", XorChecksum, kDigits, 49}, ValueCase{"lrc", LrcChecksum, kDigits, 8},
        ValueCase{"modbus lrc", ModbusLrc, kDigits, 35},
        ValueCase{"modbus crc", ModbusCrc, kDigits, 0x374B},
        ValueCase{"modbus GE crc", ModbusGeCrc, kDigits, 0x374B},
        ValueCase{"sol crc", SolCrc, kDigits, 0x2189},
        ValueCase{"OPLC crc", OplcCrc, kDigits, 0xFE23}, ValueCase{"xor", XorChecksum, "A", 65},
        ValueCase{"modbus lrc", ModbusLrc, "A", 191},
        ValueCase{"modbus GE crc", ModbusGeCrc, "A", 0x7F70},
        ValueCase{"sol crc", SolCrc, "A", 0x538D}, ValueCase{"OPLC crc", OplcCrc, "A", 0xFFBF},
        ValueCase{"xor", XorChecksum, "\x80", 128}, ValueCase{"lrc", LrcChecksum, "0103", 2},
        ValueCase{"lrc", LrcChecksum, "01030000000A", 8},
        // Lower-case letters are not digits: 'a' counts as 42, so "0a" spells 42.
        ValueCase{"lrc", LrcChecksum, "0a", 42},
        // Bytes above 0x7F count as negative digit values: 0x80 gives -128 - 55 = -183.
        ValueCase{"lrc", LrcChecksum, "\x80\x80", -183 * 16 - 183},
        ValueCase{"lrc", LrcChecksum, "\x80", 0}, ValueCase{"xor", XorChecksum, "", 0},
        ValueCase{"lrc", LrcChecksum, "", 0}, ValueCase{"modbus lrc", ModbusLrc, "", 0},
        ValueCase{"sol crc", SolCrc, "", 0}, ValueCase{"OPLC crc", OplcCrc, "", 0},
        ValueCase{"modbus crc", ModbusCrc, "", 0xFFFF},
        ValueCase{"modbus GE crc", ModbusGeCrc, "", 0xFFFF},
        // A sum that is a multiple of 256 (or 65536) gives 0, not 256 (or 65536).
        ValueCase{"modbus lrc", ModbusLrc, "\x80\x80", 0},
        ValueCase{"OPLC crc", OplcCrc, ByteString(257, '\xFF') + "\x01", 0},
        ValueCase{"modbus lrc", ModbusLrc, "\x01", 255}));

TEST(ModbusCrc, MatchesTheTableRuleAndTheBitRule) {
  ModbusTables tables = BuildModbusTables();
  EXPECT_EQ(HexDump(ByteString(tables.high.begin(), tables.high.begin() + 8), " "),
            "00 C1 81 40 01 C0 80 41 ");
  EXPECT_EQ(HexDump(ByteString(tables.low.begin(), tables.low.begin() + 8), " "),
            "00 C0 C1 01 C3 03 02 C2 ");

  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    ByteString bytes = RandomBytes(random, random() % 300);
    int32_t expected = ModbusByTables(bytes);
    EXPECT_EQ(ModbusBitByBit(bytes), expected);
    EXPECT_EQ(ModbusGeCrc(bytes), expected);
    std::erase(bytes, '[');
    EXPECT_EQ(ModbusCrc(bytes), ModbusByTables(bytes)) << "bracket-free input is not re-decoded";
  }
}

TEST(ModbusCrc, DecodesItsInputOnceMore) {
  ByteString spelledEscape = "[CR]";
  EXPECT_EQ(ModbusCrc(spelledEscape), ModbusGeCrc("\r"));
  EXPECT_EQ(ModbusGeCrc(spelledEscape), ModbusByTables(spelledEscape));
  EXPECT_NE(ModbusCrc(spelledEscape), ModbusGeCrc(spelledEscape));
}

TEST(SolCrc, IsKermitOfTheDecodedBytes) {
  std::mt19937 random(13);
  for (int round = 0; round < 300; ++round) {
    ByteString bytes = RandomBytes(random, random() % 300);
    ByteString decoded = TextToBytes(bytes);
    EXPECT_EQ(SolCrc(bytes), KermitBitByBit(decoded));
    EXPECT_EQ(SolCrc(bytes), SolByRegisters(decoded));
  }
  EXPECT_EQ(SolCrc("[x41]"), SolCrc("A"));
}

TEST(SolCrc, UsesAtMostTheFirstThousandDecodedBytes) {
  std::mt19937 random(17);
  ByteString bytes = RandomBytes(random, 1500);
  std::erase(bytes, '[');
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(SolCrc(bytes), SolCrc(bytes.substr(0, 1000)));
  EXPECT_EQ(SolCrc(bytes), KermitBitByBit(bytes.substr(0, 1000)));
  EXPECT_NE(SolCrc(bytes.substr(0, 999)), SolCrc(bytes.substr(0, 1000)));

  // The limit counts decoded bytes: 1000 escapes of five characters each are all used.
  ByteString escapes;
  for (int i = 0; i < 1000; ++i) {
    escapes += (i % 2 == 0) ? "[x55]" : "[STX]";
  }
  ByteString decoded = TextToBytes(escapes);
  ASSERT_EQ(decoded.size(), 1000u);
  EXPECT_EQ(SolCrc(escapes), KermitBitByBit(decoded));
}

TEST(Sums, MatchTheirTwosComplementRules) {
  std::mt19937 random(19);
  for (int round = 0; round < 100; ++round) {
    ByteString bytes = RandomBytes(random, random() % 2000);
    unsigned sum = 0;
    unsigned x = 0;
    for (unsigned char b : bytes) {
      sum += b;
      x ^= b;
    }
    EXPECT_EQ((static_cast<unsigned>(ModbusLrc(bytes)) + sum) % 256, 0u);
    EXPECT_EQ((static_cast<unsigned>(OplcCrc(bytes)) + sum) % 65536, 0u);
    EXPECT_LT(ModbusLrc(bytes), 256);
    EXPECT_LT(OplcCrc(bytes), 65536);
    EXPECT_EQ(static_cast<unsigned>(XorChecksum(bytes)), x);
  }
}

TEST(Md5Hex, GivesTheStandardDigests) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex(kDigits), "25f9e794323b453885f5181f1b624d0b");
  EXPECT_EQ(Md5Hex("\0"s), "93b885adfe0da089cdf634904fd59f71");
}

TEST(Checksums, LeaveTheCallersBytesAlone) {
  ByteString bytes = "[CR]12";
  const ByteString original = bytes;
  ModbusCrc(bytes);
  SolCrc(bytes);
  Md5Hex(bytes);
  EXPECT_EQ(bytes, original);
}

}  // namespace

}  // namespace linkwright
