#include "document/text_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/message_text.h"
#include "message_row_printer.h"

namespace linkwright {

namespace {

TEST(SplitMessageCommentTest, SplitsAtTheFirstBlankAndTwoSlashes) {
  struct Case {
    std::string text;
    std::string message;
    std::string comment;
  };
  for (const Case& c : std::vector<Case>{
           {"PING //keep alive", "PING", "keep alive"},
           {"MSG// X", "MSG// X", ""},
           {"A  //  spaced  \t", "A ", "spaced"},
           {"A // one // two", "A", "one // two"},
           {" //only comment", "", "only comment"},
           {"http://host //x", "http://host", "x"},
           {"no comment", "no comment", ""},
           {"", "", ""},
       }) {
    auto [message, comment] = SplitMessageComment(c.text);
    EXPECT_EQ(message, c.message) << c.text;
    EXPECT_EQ(comment, c.comment) << c.text;
  }
}

TEST(TextImportTest, ThreeLinesMakeOneRow) {
  std::vector<MessageRow> rows = ParseTextImport("F1 1\nPING //keep alive\nPONG\n", 99);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (MessageRow{"PING", "keep alive", 1, "PONG"}));
}

TEST(TextImportTest, LinesAreTrimmedOfBlanksTabsAndCarriageReturns) {
  std::vector<MessageRow> rows =
      ParseTextImport("F1 0\r\n \t[STX]A[ETX] \t //  c \r\n  T[CR] \r\nF2 3\r\nB\r\n\r\n", 99);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (MessageRow{"[STX]A[ETX] \t", "c", 0, "T[CR]"}));
  EXPECT_EQ(rows[1], (MessageRow{"B", "", 3, ""}));
}

TEST(TextImportTest, TheKeyLineGivesTheActiveValueOnlyInItsOwnForm) {
  struct Case {
    std::string line;
    int active;
  };
  for (const Case& c : std::vector<Case>{{"F1 1", 1},
                                         {"F7 0", 0},
                                         {"F12 -4 trailing", -4},
                                         {"F 3   9", 9},
                                         {"F1\t2", 2},
                                         {"F1", 0},
                                         {"f1 1", 0},
                                         {" F1 1", 0},
                                         {"Fx 1", 0},
                                         {"F1 x", 0},
                                         {"F1 99999999999", 2147483647},
                                         {"", 0}}) {
    std::vector<MessageRow> rows = ParseTextImport(c.line + "\nM\nT\n", 99);
    ASSERT_EQ(rows.size(), 1u) << c.line;
    EXPECT_EQ(rows[0].active, c.active) << c.line;
    EXPECT_EQ(rows[0].message, "M") << c.line;
  }
}

TEST(TextImportTest, EmptyLinesAreLines) {
  std::vector<MessageRow> rows = ParseTextImport("\n\n\nF2 1\n\nT\n", 99);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], MessageRow{});
  EXPECT_EQ(rows[1], (MessageRow{"", "", 1, "T"}));
}

TEST(TextImportTest, ARowCutShortKeepsWhatWasRead) {
  const std::string full = "F1 1\nA //a\nTA\nF2 1\nB //b\nTB";
  struct Case {
    std::string data;
    std::vector<MessageRow> rows;
  };
  for (const Case& c : std::vector<Case>{
           {"", {}},
           {full.substr(0, 14), {{"A", "a", 1, "TA"}}},
           {full.substr(0, 15), {{"A", "a", 1, "TA"}, {"", "", 0, ""}}},
           {full.substr(0, 18), {{"A", "a", 1, "TA"}, {"", "", 1, ""}}},
           {full.substr(0, 19), {{"A", "a", 1, "TA"}, {"", "", 1, ""}}},
           {full.substr(0, 20), {{"A", "a", 1, "TA"}, {"B", "", 1, ""}}},
           {full.substr(0, 25), {{"A", "a", 1, "TA"}, {"B", "b", 1, ""}}},
           {full, {{"A", "a", 1, "TA"}, {"B", "b", 1, "TB"}}},
       }) {
    EXPECT_EQ(ParseTextImport(c.data, 99), c.rows) << c.data;
  }
}

TEST(TextImportTest, ReadingStopsAfterTheLastRowOfTheTable) {
  std::string data;
  for (int n = 1; n <= 120; ++n) {
    data += "F" + std::to_string(n) + " 1\nM" + std::to_string(n) + "\n\n";
  }
  std::vector<MessageRow> rows = ParseTextImport(data, 99);
  ASSERT_EQ(rows.size(), 99u);
  EXPECT_EQ(rows.back().message, "M99");
}

TEST(TextImportTest, ALeadingByteOrderMarkIsNotPartOfTheFirstLine) {
  std::vector<MessageRow> rows = ParseTextImport(
      "\xEF\xBB\xBF"
      "F1 1\nM\nT\n",
      99);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].active, 1);
}

TEST(TextImportTest, BytesAreKeptAsTheyAre) {
  std::string bytes;
  for (int value = 0x80; value <= 0xFF; ++value) {
    bytes.push_back(static_cast<char>(value));
  }
  std::vector<MessageRow> rows = ParseTextImport("F1 1\n" + bytes + "\n\x01\x7F\n", 99);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].message, bytes);
  EXPECT_EQ(rows[0].trigger, "\x01\x7F");
}

}  // namespace

}  // namespace linkwright
