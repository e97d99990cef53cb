#include "document/trace_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/default_configuration.h"
#include "support/recording_front_end.h"

namespace {

struct TraceCase {
  const char* name;
  const char* hexTrace;
  const char* hexTrace2;
  ByteString bytes;
  bool isRx;
  bool endLine;
  std::string expected;
};

class TraceTextTest : public ::testing::TestWithParam<TraceCase> {
 protected:
  void SetUp() override { ResetConfigurationToDefaults(); }
};

TEST_P(TraceTextTest, BuildsTheTextOfOneWrite) {
  const TraceCase& c = GetParam();
  SetSetting("UserInterface", "HexTrace", c.hexTrace);
  SetSetting("UserInterface", "HexTrace2", c.hexTrace2);
  EXPECT_EQ(TraceText(c.bytes, c.isRx, c.endLine), c.expected);
}

const ByteString kStxAbEtxCr(
    "\x02"
    "AB\x03\r");
const ByteString kWithNul("A\0B", 3);

INSTANTIATE_TEST_SUITE_P(
    Forms, TraceTextTest,
    ::testing::Values(
        TraceCase{"SentSymbols", "0", "0", kStxAbEtxCr, false, true, "<-- [STX]AB[ETX][CR]\r\n"},
        TraceCase{"ReceivedSymbols", "0", "0", kStxAbEtxCr, true, true, "[STX]AB[ETX][CR]\r\n"},
        TraceCase{"ReceivedWithoutLineEnd", "0", "0", kStxAbEtxCr, true, false, "[STX]AB[ETX][CR]"},
        TraceCase{"NulInSymbols", "0", "0", kWithNul, true, false, "A[NUL]B"},
        TraceCase{"NulAllHex", "1", "1", kWithNul, true, false, "[x41][x00][x42]"},
        TraceCase{"NulSpacedHex", "1", "0", kWithNul, true, false, "41 00 42 "},
        TraceCase{"HighBytesAllHex", "1", "1", ByteString("\x80\xff"), true, false, "[x80][xFF]"},
        TraceCase{"HighBytesSpacedHex", "1", "0", ByteString("\x80\xff"), true, false, "80 FF "},
        TraceCase{"HighBytesSymbols", "0", "0", ByteString("\xc3\xa9"), true, false, "\xc3\xa9"},
        TraceCase{"SpacedHexKeepsTrailingBlank", "1", "0", ByteString("A\r"), false, true,
                  "<-- 41 0D \r\n"},
        TraceCase{"EmptySentLine", "0", "0", ByteString(), false, true, "<-- \r\n"},
        TraceCase{"EmptyReceivedLineEnd", "1", "0", ByteString(), true, true, "\r\n"},
        TraceCase{"HexTrace2AloneKeepsSymbols", "0", "1", ByteString("\r"), true, false, "[CR]"},
        TraceCase{"SettingReadAsNumber", "2", "0", ByteString("A"), true, false, "41 "}),
    [](const ::testing::TestParamInfo<TraceCase>& info) { return info.param.name; });

TEST(WriteTrace, AppendsOnePieceAndFollowsSettingChangesAtOnce) {
  ResetConfigurationToDefaults();
  RecordingFrontEnd frontEnd;
  WriteTrace(frontEnd, "A\r", false, true);
  SetSetting("UserInterface", "HexTrace", "1");
  WriteTrace(frontEnd, "A\r", true, false);
  ASSERT_EQ(frontEnd.appends.size(), 2u);
  EXPECT_EQ(frontEnd.appends[0], "<-- A[CR]\r\n");
  EXPECT_EQ(frontEnd.appends[1], "41 0D ");
}

}  // namespace
