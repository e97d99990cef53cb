#include "document/table_clipboard.h"

#include <gtest/gtest.h>

#include "document/message_table.h"
#include "message_row_printer.h"

namespace linkwright {

namespace {

TEST(TableClipboard, RowsSurviveACopyAndPasteWhateverTheirCellsHold) {
  MessageTable source;
  source.SetRow(2, {"[STX]A\tB[ETX]", "line one\nline two", 1, "\"quoted\" start"});
  source.SetRow(3, {"say \"hi\"", "", 0, "[CR]"});
  source.SetRow(4, {"", "\r", 7, "end\""});
  std::string text = CellsAsTabText(source, 2, 4, 1, 4);

  MessageTable target;
  EXPECT_EQ(PasteTabText(target, 10, 1, text), 12);
  for (int row = 2; row <= 4; ++row) {
    EXPECT_EQ(target.GetRow(row + 8), source.GetRow(row)) << row;
  }
  EXPECT_TRUE(target.IsModified());
}

TEST(TableClipboard, CopyIsClippedToMessageCellsAndWritesPlainCellsAsTheyAre) {
  MessageTable table;
  table.SetRow(1, {"A", "first", 1, "T"});
  table.SetRow(99, {"Z", "last", 0, ""});
  EXPECT_EQ(CellsAsTabText(table, 0, 1, 0, 9), "A\tfirst\t1\tT\n");
  EXPECT_EQ(CellsAsTabText(table, 99, 120, 2, 2), "last\n");
  EXPECT_EQ(CellsAsTabText(table, 5, 4, 1, 4), "");
}

TEST(TableClipboard, PasteOfSpreadsheetTextStopsAtTheTableEdges) {
  MessageTable table;
  // CR LF line ends and a final line end, as spreadsheets write them; a start in the label
  // column starts in the message column.
  EXPECT_EQ(PasteTabText(table, 98, 0, "a\tb\t1\tt\textra\r\nc\r\nd\r\n"), 5);
  EXPECT_EQ(table.GetRow(98), (MessageRow{"a", "b", 1, "t"}));
  EXPECT_EQ(table.GetRow(99), (MessageRow{"c", "", 0, ""}));
  EXPECT_EQ(PasteTabText(table, 1, 1, ""), 0);
}

}  // namespace

}  // namespace linkwright
