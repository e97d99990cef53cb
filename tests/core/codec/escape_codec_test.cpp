#include "codec/escape_codec.h"

#include <gtest/gtest.h>

#include <random>

#include "codec/symbol_listing.h"

namespace linkwright {

namespace {

using namespace std::string_literals;

struct DecodeCase {
  std::string text;
  ByteString bytes;
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, DecodesToExpectedBytes) {
  EXPECT_EQ(TextToBytes(GetParam().text), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    EscapeRules, DecodeTest,
    testing::Values(
        DecodeCase{"", ""}, DecodeCase{"ABC", "ABC"},
        DecodeCase{"[STX]12[ETX]",
                   "\x02"
                   "12\x03"},
        DecodeCase{"[stx]", "\x02"}, DecodeCase{"[x0d]", "\r"}, DecodeCase{"[X0D]", "\r"},
        DecodeCase{"[13]", "\r"}, DecodeCase{"[Cr]", "\r"}, DecodeCase{"[FF]", "\x0C"},
        DecodeCase{"[xFF]", "\xFF"}, DecodeCase{"[255]", "\xFF"}, DecodeCase{"[256]", "\0"s},
        DecodeCase{"[x100]", "\0"s}, DecodeCase{"[300]", ","}, DecodeCase{"[x141]", "A"},
        DecodeCase{"[x0000000FF]", "\xFF"}, DecodeCase{"[SLE][CS1]", "\x10\x11"},
        DecodeCase{"[x]", "[x]"}, DecodeCase{"[]", "[]"}, DecodeCase{"[DLE]", "[DLE]"},
        DecodeCase{"[DC1]", "[DC1]"}, DecodeCase{"[CR", "[CR"}, DecodeCase{"A]B", "A]B"},
        DecodeCase{"[[CR]]", "[\r]"}, DecodeCase{"[CR][LF]", "\r\n"}, DecodeCase{"[-1]", "[-1]"},
        DecodeCase{"[ 13]", "[ 13]"}, DecodeCase{"[x 0D]", "[x 0D]"},
        DecodeCase{"[0x0D]", "[0x0D]"}, DecodeCase{"[13h]", "[13h]"},
        DecodeCase{"[x\xC3\xA9]", "[x\xC3\xA9]"},
        DecodeCase{"caf\xC3\xA9[NUL]", "caf\xC3\xA9\0"s}));

TEST(ReadEscapedByte, AdvancesPastWhatItConsumed) {
  std::string text = "[CR]x[y";
  size_t position = 0;
  EXPECT_EQ(ReadEscapedByte(text, position), '\r');
  EXPECT_EQ(position, 4u);
  EXPECT_EQ(ReadEscapedByte(text, position), 'x');
  EXPECT_EQ(position, 5u);
  EXPECT_EQ(ReadEscapedByte(text, position), '[');
  EXPECT_EQ(position, 6u);
}

TEST(ControlSymbolName, CoversExactlyTheControlRange) {
  EXPECT_EQ(ControlSymbolName(0), "NUL");
  EXPECT_EQ(ControlSymbolName(16), "SLE");
  EXPECT_EQ(ControlSymbolName(17), "CS1");
  EXPECT_EQ(ControlSymbolName(31), "US");
  EXPECT_EQ(ControlSymbolName(32), "");
  EXPECT_EQ(ControlSymbolName(-1), "");
  EXPECT_EQ(ControlSymbolName(-128), "");
}

TEST(BytesToText, SymbolForm) {
  EXPECT_EQ(BytesToText("\x02"
                        "AB\x03\r\n",
                        false),
            "[STX]AB[ETX][CR][LF]");
  EXPECT_EQ(BytesToText("\x10\x11", false), "[SLE][CS1]");
  EXPECT_EQ(BytesToText("\x7F\x80", false), "\x7F\x80");
  EXPECT_EQ(BytesToText("\0"s, false), "[NUL]");
  EXPECT_EQ(BytesToText("", false), "");
  // Bytes that spell an escape are copied as they are, so they do not come back unchanged.
  EXPECT_EQ(BytesToText("[13]", false), "[13]");
  EXPECT_EQ(TextToBytes(BytesToText("[13]", false)), "\r");
}

// The symbol form byte by byte, to hold the word-at-a-time search against.
std::string SymbolFormByteByByte(std::string_view bytes) {
  std::string text;
  for (unsigned char b : bytes) {
    text += b < 0x20 ? "[" + ControlSymbolName(b) + "]" : std::string(1, static_cast<char>(b));
  }
  return text;
}

TEST(BytesToText, SymbolFormEqualsByteByByteAtEveryPositionOfABlock) {
  // Bytes at and around the control range's edge, and with the top bit set, where a borrow
  // or a sign could be misread.
  const std::string tricky = "\x00\x01\x1F\x20\x21\x7F\x80\x9F\xA0\xFF"s;
  for (size_t size = 0; size <= 40; ++size) {
    for (size_t at = 0; at < size; ++at) {
      for (char special : tricky) {
        for (char filler : {'0', '\xA0', '\xFF', '\x20'}) {
          ByteString bytes(size, filler);
          bytes[at] = special;
          EXPECT_EQ(BytesToText(bytes, false), SymbolFormByteByByte(bytes))
              << "size " << size << ", byte " << int(static_cast<unsigned char>(special)) << " at "
              << at;
        }
      }
    }
  }
}

TEST(BytesToText, AllHexForm) {
  EXPECT_EQ(BytesToText("A\r", true), "[x41][x0D]");
  EXPECT_EQ(BytesToText("\xFF\0"s, true), "[xFF][x00]");
  EXPECT_EQ(BytesToText("", true), "");
}

TEST(HexDump, SeparatorFollowsEveryByte) {
  EXPECT_EQ(HexDump("A\r", " "), "41 0D ");
  EXPECT_EQ(HexDump("\xFF\0"s, "-"), "FF-00-");
  EXPECT_EQ(HexDump("", " "), "");
}

TEST(RoundTrip, AllHexAndBracketFreeSymbolFormGiveBackTheBytes) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    ByteString bytes(random() % 64, '\0');
    for (char& b : bytes) {
      b = static_cast<char>(random() % 256);
    }
    EXPECT_EQ(TextToBytes(BytesToText(bytes, true)), bytes);
    std::erase(bytes, '[');
    EXPECT_EQ(TextToBytes(BytesToText(bytes, false)), bytes);
  }
}

TEST(SymbolListing, HeadAndFirstAndLastLines) {
  std::string listing = SymbolListing();
  std::string head = "sym     dec   hex   ctrl\r\n------------------------";
  ASSERT_EQ(listing.substr(0, head.size()), head);
  std::string first = "\r\n NUL    00    0x00    ^@";
  EXPECT_EQ(listing.substr(head.size(), first.size()), first);
  std::string last = "\r\n  US    31    0x1f    ^_";
  ASSERT_GE(listing.size(), last.size());
  EXPECT_EQ(listing.substr(listing.size() - last.size()), last);
  EXPECT_EQ(listing.size(), head.size() + 32 * first.size());
}

}  // namespace

}  // namespace linkwright
