#include "checksum/crc_report.h"

#include <gtest/gtest.h>

#include "codec/escape_codec.h"

namespace linkwright {

namespace {

TEST(CrcReportLines, DigitsGiveTheHeaderAndEightAlignedLines) {
  std::vector<std::string> expected = {
      "*** CRC \"123456789\"  (HEX \"31 32 33 34 35 36 37 38 39 \")  ... ***",
      "   xor             -->       49 (HEX 31)",
      "   lrc             -->        8 (HEX 08)",
      "   lrc (modbus )   -->       35 (HEX 23)",
      "   crc (modbus )   -->    14155 (HEX 374B)",
      "   crc (modbus GE) -->    14155 (HEX 374B)",
      "   crc (sol)       -->     8585 (HEX 2189)",
      "   crc (OPLC)      -->    65059 (HEX FE23)",
      "   md5             --> 25f9e794323b453885f5181f1b624d0b",
  };
  EXPECT_EQ(CrcReportLines("123456789"), expected);
}

TEST(CrcReportLines, HeaderShowsControlBytesAsSymbols) {
  auto lines = CrcReportLines(TextToBytes("[CR][LF]"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "*** CRC \"[CR][LF]\"  (HEX \"0D 0A \")  ... ***");
}

TEST(CrcReportLines, PercentSignsInTheSelectionArePrintedUnchanged) {
  auto lines = CrcReportLines("%s%d%n%%");
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "*** CRC \"%s%d%n%%\"  (HEX \"25 73 25 64 25 6E 25 25 \")  ... ***");
}

TEST(CrcReportLines, SpelledEscapeGivesDifferentModbusLines) {
  // [x5B]CR] decodes to the four characters of the text [CR]; only the Modbus crc line decodes
  // them once more, to the single byte 0x0D.
  auto lines = CrcReportLines(TextToBytes("[x5B]CR]"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "*** CRC \"[CR]\"  (HEX \"5B 43 52 5D \")  ... ***");
  EXPECT_EQ(lines[4].substr(0, 23), "   crc (modbus )   --> ");
  EXPECT_NE(lines[4].substr(23), lines[5].substr(23));
}

TEST(CrcReportLines, NegativeLrcShowsItsFullTwosComplement) {
  // Bytes above 0x7F count as negative digits, so the lrc line may show a negative number.
  auto lines = CrcReportLines("\x80\x80");
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2], "   lrc             -->    -3111 (HEX FFFFF3D9)");
}

TEST(CrcReportLines, EmptyBytesGiveNoLines) {
  EXPECT_TRUE(CrcReportLines("").empty());
}

}  // namespace

}  // namespace linkwright
