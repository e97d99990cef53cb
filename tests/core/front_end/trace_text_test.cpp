#include "front_end/trace_text.h"

#include <gtest/gtest.h>

#include <string>

#include "config/configuration.h"
#include "support/default_configuration.h"
#include "support/recording_front_end.h"

namespace linkwright {

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
  SetSetting(setting::kHexTrace, c.hexTrace);
  SetSetting(setting::kHexTrace2, c.hexTrace2);
  const TraceDirection direction = c.isRx ? TraceDirection::kReceived : TraceDirection::kSent;
  RecordingFrontEnd frontEnd;
  TraceWriter trace(GetConfiguration(), frontEnd);
  trace.Write(c.bytes, direction, c.endLine);
  ASSERT_EQ(frontEnd.batches.size(), 1u);
  ASSERT_EQ(frontEnd.batches[0].size(), 1u);
  EXPECT_EQ(frontEnd.batches[0][0].direction, direction);
  EXPECT_EQ(frontEnd.appends[0], c.expected);
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

TEST(TraceWriter, AppendsEachWriteAtOnceAndFollowsSettingChanges) {
  ResetConfigurationToDefaults();
  RecordingFrontEnd frontEnd;
  TraceWriter trace(GetConfiguration(), frontEnd);
  trace.Write("A\r", TraceDirection::kSent, true);
  SetSetting(setting::kHexTrace, "1");
  trace.Write("A\r", TraceDirection::kReceived, false);
  ASSERT_EQ(frontEnd.appends.size(), 2u);
  EXPECT_EQ(frontEnd.appends[0], "<-- A[CR]\r\n");
  EXPECT_EQ(frontEnd.appends[1], "41 0D ");
}

// Texts are reused from batch to batch: a short piece after a long one, or a received piece
// after a sent one, must carry nothing of the earlier text.
TEST(TraceWriter, APieceCarriesNothingOfTheTextsOfEarlierBatches) {
  ResetConfigurationToDefaults();
  RecordingFrontEnd frontEnd;
  TraceWriter trace(GetConfiguration(), frontEnd);
  {
    TraceWriter::Batch batch(trace);
    trace.Write(std::string(300, 'x'), TraceDirection::kSent, true);
    trace.Write("B", TraceDirection::kReceived, false);
  }
  {
    TraceWriter::Batch batch(trace);
    trace.Write("C", TraceDirection::kReceived, true);
    trace.Write("D", TraceDirection::kSent, false);
    trace.Write("E", TraceDirection::kReceived, false);
  }
  ASSERT_EQ(frontEnd.batches.size(), 2u);
  EXPECT_EQ(frontEnd.batches[1], (TraceBatch{{TraceDirection::kReceived, "C", true},
                                             {TraceDirection::kSent, "<-- D", false},
                                             {TraceDirection::kReceived, "E", false}}));
}

TEST(TraceWriter, NestedBatchesHandOverOnceWhenTheOutermostEnds) {
  ResetConfigurationToDefaults();
  RecordingFrontEnd frontEnd;
  TraceWriter trace(GetConfiguration(), frontEnd);
  {
    TraceWriter::Batch outer(trace);
    trace.Write("dropped", TraceDirection::kReceived, false);
    trace.Clear();
    trace.Write("PING\r", TraceDirection::kReceived, true);
    {
      TraceWriter::Batch inner(trace);
      trace.Write("PONG\r", TraceDirection::kSent, true);
    }
    EXPECT_TRUE(frontEnd.batches.empty()) << "the outer batch is still open";
  }
  EXPECT_EQ(frontEnd.clears, 1);
  ASSERT_EQ(frontEnd.batches.size(), 1u);
  EXPECT_EQ(frontEnd.batches[0], (TraceBatch{{TraceDirection::kReceived, "PING[CR]", true},
                                             {TraceDirection::kSent, "<-- PONG[CR]", true}}));
}

}  // namespace

}  // namespace linkwright
