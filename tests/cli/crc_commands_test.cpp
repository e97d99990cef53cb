#include <gtest/gtest.h>

#include "support/test_support.h"

namespace linkwright {

namespace {

TEST(CrcCommand, PrintsTheReportOfTheDigits) {
  ProcessResult result = RunCli({"crc", "123456789"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "*** CRC \"123456789\"  (HEX \"31 32 33 34 35 36 37 38 39 \")  ... ***\n"
            "   xor             -->       49 (HEX 31)\n"
            "   lrc             -->        8 (HEX 08)\n"
            "   lrc (modbus )   -->       35 (HEX 23)\n"
            "   crc (modbus )   -->    14155 (HEX 374B)\n"
            "   crc (modbus GE) -->    14155 (HEX 374B)\n"
            "   crc (sol)       -->     8585 (HEX 2189)\n"
            "   crc (OPLC)      -->    65059 (HEX FE23)\n"
            "   md5             --> 25f9e794323b453885f5181f1b624d0b\n");
  EXPECT_EQ(result.err, "");
}

TEST(CrcCommand, RightAlignsTheXorValueInEightColumns) {
  ProcessResult result = RunCli({"crc", "123456789"});
  EXPECT_NE(result.out.find("\n   xor             -->       49 (HEX 31)\n"), std::string::npos);
  EXPECT_NE(result.out.find("-->" + std::string(7, ' ') + "49"), std::string::npos);
}

TEST(CrcCommand, DecodesEscapesBeforeComputing) {
  ProcessResult result = RunCli({"crc", "[CR][LF]"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
            "*** CRC \"[CR][LF]\"  (HEX \"0D 0A \")  ... ***");
  EXPECT_NE(result.out.find("   xor             -->        7 (HEX 07)\n"), std::string::npos);
}

TEST(CrcCommand, PrintsAPercentSignUnchanged) {
  ProcessResult result = RunCli({"crc", "50%s"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
            "*** CRC \"50%s\"  (HEX \"35 30 25 73 \")  ... ***");
}

TEST(CrcCommand, EmptyTextFailsWithOneLine) {
  ProcessResult result = RunCli({"crc", ""});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  ASSERT_FALSE(result.err.empty());
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
}

TEST(CrcCommand, MissingTextIsAUsageError) {
  ProcessResult result = RunCli({"crc"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
}

}  // namespace

}  // namespace linkwright
