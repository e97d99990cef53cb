#include <gtest/gtest.h>

#include <random>

#include "codec/escape_codec.h"

namespace linkwright {

namespace {

ByteString DecodeStepByStep(const std::string& text) {
  ByteString bytes;
  size_t position = 0;
  while (position < text.size()) {
    bytes.push_back(ReadEscapedByte(text, position));
  }
  return bytes;
}

// Texts dense in brackets, digits and symbol letters, so valid, broken and nested escapes
// follow each other closely.
std::string RandomEscapeText(std::mt19937& random, size_t size) {
  static constexpr std::string_view kAlphabet = "[[[]]]xX0123456789ABCDEFcrlfSTX\r\x80 ";
  std::string text(size, ' ');
  for (char& c : text) {
    c = kAlphabet[random() % kAlphabet.size()];
  }
  return text;
}

TEST(TextToBytes, EqualsReadEscapedByteInALoop) {
  std::mt19937 random(23);
  for (int round = 0; round < 2000; ++round) {
    std::string text = RandomEscapeText(random, random() % 80);
    ByteString expected = DecodeStepByStep(text);
    EXPECT_EQ(TextToBytes(text), expected) << text;
    std::string inPlace = text;
    TextToBytesInPlace(inPlace);
    EXPECT_EQ(inPlace, expected) << text;
  }
}

TEST(TextToBytes, ManyOpenBracketsWithoutCloseDecodeLiterally) {
  // One search for ']' serves every '[' before it, so this stays linear in the text size.
  std::string text(1 << 20, '[');
  EXPECT_EQ(TextToBytes(text), text);
  std::string closedAtEnd = text + "[CR]";
  ByteString expected = text + "\r";
  EXPECT_EQ(TextToBytes(closedAtEnd), expected);
  std::string tokensAtEnd = text + "x41]";
  EXPECT_EQ(TextToBytes(tokensAtEnd).substr((1 << 20) - 1), "A");
}

}  // namespace

}  // namespace linkwright
