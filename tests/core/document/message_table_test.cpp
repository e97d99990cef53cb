#include "document/message_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "message_row_printer.h"

namespace linkwright {

namespace {

using ::testing::ElementsAre;

MessageRow Numbered(int n) {
  std::string tag = std::to_string(n);
  return MessageRow{"M" + tag, "C" + tag, n, "T" + tag};
}

// Every row r holds Numbered(r).
void FillNumbered(MessageTable& table) {
  for (int row = 1; row <= table.RowCount(); ++row) {
    table.SetRow(row, Numbered(row));
  }
  table.SetModified(false);
}

// Writes each notice as a short line, so a test can compare the whole sequence.
class RecordingListener : public MessageTableListener {
 public:
  void RowsChanged(int first, int last) override {
    events.push_back("rows " + std::to_string(first) + "-" + std::to_string(last));
  }
  void TableAboutToReset() override { events.push_back("about to reset"); }
  void TableReset() override { events.push_back("reset"); }
  void FocusChanged(int focused, int selected) override {
    events.push_back("focus " + std::to_string(focused) + " " + std::to_string(selected));
  }
  void ModifiedChanged(bool modified) override {
    events.push_back(modified ? "modified" : "unmodified");
  }

  std::vector<std::string> events;
};

TEST(MessageTableTest, NewTableHas99EmptyLabelledRowsAndIsNotModified) {
  MessageTable table;
  EXPECT_EQ(table.RowCount(), 99);
  EXPECT_FALSE(table.IsModified());
  EXPECT_EQ(table.FocusedRow(), MessageTable::kNoRow);
  EXPECT_EQ(table.SelectedRow(), MessageTable::kNoRow);
  for (int row = 1; row <= 99; ++row) {
    EXPECT_TRUE(table.IsRowEmpty(row)) << row;
    EXPECT_EQ(table.GetActive(row), 0) << row;
    EXPECT_EQ(MessageTable::RowLabel(row), "F" + std::to_string(row));
  }
  EXPECT_EQ(table.LastUsedRow(), 0);
  EXPECT_EQ(MessageTable::ColumnTitle(0), "key");
  EXPECT_EQ(MessageTable::ColumnTitle(1), "message");
  EXPECT_EQ(MessageTable::ColumnTitle(2), "comment");
  EXPECT_EQ(MessageTable::ColumnTitle(3), "");
  EXPECT_EQ(MessageTable::ColumnTitle(4), "trigger");
}

TEST(MessageTableTest, LastUsedRowIgnoresActiveMarksAndEmptyRowsBelowTheLastText) {
  MessageTable table;
  table.SetActive(50, 1);
  table.SetActive(99, 1);
  EXPECT_EQ(table.LastUsedRow(), 0);
  EXPECT_TRUE(table.IsRowEmpty(99));

  table.SetItemText(7, MessageTable::kCommentColumn, "only a comment");
  EXPECT_EQ(table.LastUsedRow(), 7);
  table.SetItemText(3, MessageTable::kTriggerColumn, "T");
  EXPECT_EQ(table.LastUsedRow(), 7);
  table.SetItemText(99, MessageTable::kMessageColumn, "M");
  EXPECT_EQ(table.LastUsedRow(), 99);
}

TEST(MessageTableTest, OutsideTheTableReadsEmptyAndIgnoresWrites) {
  MessageTable table;
  for (int row : {-1, 0, 100}) {
    table.SetItemText(row, MessageTable::kMessageColumn, "x");
    table.SetActive(row, 1);
    table.SetRow(row, Numbered(1));
    EXPECT_TRUE(table.IsRowEmpty(row));
    EXPECT_EQ(table.GetItemText(row, MessageTable::kMessageColumn), "");
    EXPECT_EQ(table.GetActive(row), 0);
  }
  for (int column : {-1, 0, 3, 5}) {
    table.SetItemText(1, column, "x");
    EXPECT_EQ(table.GetItemText(1, column), "");
  }
  EXPECT_FALSE(table.IsModified());
  EXPECT_EQ(table.LastUsedRow(), 0);
}

TEST(MessageTableTest, CellTextsEndAtTheirFirstNulByte) {
  MessageTable table;
  table.SetItemText(1, MessageTable::kMessageColumn, std::string("AB\0CD", 5));
  table.SetRow(2,
               MessageRow{std::string("\0X", 2), std::string("c\0", 2), 1, std::string("t\0t", 3)});
  EXPECT_EQ(table.GetItemText(1, MessageTable::kMessageColumn), "AB");
  EXPECT_EQ(table.GetRow(2), (MessageRow{"", "c", 1, "t"}));
}

TEST(MessageTableTest, InsertRowShiftsDownFromTheFocusedRowAndDropsTheLastRow) {
  MessageTable table;
  FillNumbered(table);
  table.SetFocusedRow(1);
  table.InsertRow();
  EXPECT_TRUE(table.IsModified());
  EXPECT_EQ(table.GetRow(1), MessageRow{});
  for (int row = 2; row <= 99; ++row) {
    ASSERT_EQ(table.GetRow(row), Numbered(row - 1)) << row;
  }
}

TEST(MessageTableTest, DeleteRowShiftsUpBelowTheFocusedRowAndEmptiesTheLastRow) {
  MessageTable table;
  FillNumbered(table);
  table.SetFocusedRow(40);
  table.DeleteRow();
  EXPECT_TRUE(table.IsModified());
  for (int row = 1; row < 40; ++row) {
    ASSERT_EQ(table.GetRow(row), Numbered(row)) << row;
  }
  for (int row = 40; row < 99; ++row) {
    ASSERT_EQ(table.GetRow(row), Numbered(row + 1)) << row;
  }
  EXPECT_EQ(table.GetRow(99), MessageRow{});
  EXPECT_EQ(table.GetActive(99), 0);
}

TEST(MessageTableTest, InsertOrDeleteOnTheLastRowClearsOnlyThatRow) {
  for (bool insert : {true, false}) {
    MessageTable table;
    FillNumbered(table);
    table.SetFocusedRow(99);
    insert ? table.InsertRow() : table.DeleteRow();
    EXPECT_EQ(table.GetRow(99), MessageRow{}) << insert;
    EXPECT_EQ(table.GetRow(98), Numbered(98)) << insert;
    EXPECT_EQ(table.GetRow(1), Numbered(1)) << insert;
  }
}

TEST(MessageTableTest, InsertAndDeleteDoNothingWithoutAFocusedMessageRow) {
  for (int focus : {MessageTable::kNoRow, 0}) {
    for (bool insert : {true, false}) {
      MessageTable table;
      FillNumbered(table);
      table.SetFocusedRow(focus);
      insert ? table.InsertRow() : table.DeleteRow();
      EXPECT_FALSE(table.IsModified()) << focus << insert;
      EXPECT_EQ(table.GetRow(1), Numbered(1)) << focus << insert;
      EXPECT_EQ(table.GetRow(99), Numbered(99)) << focus << insert;
    }
  }
}

TEST(MessageTableTest, SwitchExchangesMessageAndTriggerUpToTheLastUsedRow) {
  MessageTable table;
  table.SetRow(2, MessageRow{"msg", "c", 1, "trg"});
  table.SetRow(5, MessageRow{"", "", 0, "only trigger"});
  table.SetActive(60, 1);
  table.SetModified(false);

  table.SwitchMessageTrigger();
  EXPECT_TRUE(table.IsModified());
  EXPECT_EQ(table.GetRow(2), (MessageRow{"trg", "c", 1, "msg"}));
  EXPECT_EQ(table.GetRow(5), (MessageRow{"only trigger", "", 0, ""}));
  EXPECT_EQ(table.GetActive(60), 1);

  table.SwitchMessageTrigger();
  EXPECT_EQ(table.GetRow(2), (MessageRow{"msg", "c", 1, "trg"}));
}

TEST(MessageTableTest, SwitchOnAnEmptyTableLeavesTheModifiedFlagAlone) {
  for (bool modified : {false, true}) {
    MessageTable table;
    table.SetActive(3, 1);
    table.SetModified(modified);
    table.SwitchMessageTrigger();
    EXPECT_EQ(table.IsModified(), modified);
  }
}

TEST(MessageTableTest, ResetEmptiesEveryRowAndDropsFocusSelectionAndModified) {
  MessageTable table;
  FillNumbered(table);
  table.SelectRow(12);
  table.SetModified(true);
  table.ResetRows(99);
  EXPECT_EQ(table.RowCount(), 99);
  EXPECT_EQ(table.LastUsedRow(), 0);
  EXPECT_EQ(table.GetActive(12), 0);
  EXPECT_EQ(table.FocusedRow(), MessageTable::kNoRow);
  EXPECT_EQ(table.SelectedRow(), MessageTable::kNoRow);
  EXPECT_FALSE(table.IsModified());
}

TEST(MessageTableTest, SelectRowMovesTheFocusAndClearingKeepsIt) {
  MessageTable table;
  table.SelectRow(8);
  EXPECT_EQ(table.FocusedRow(), 8);
  EXPECT_EQ(table.SelectedRow(), 8);
  table.ClearSelection();
  EXPECT_EQ(table.FocusedRow(), 8);
  EXPECT_EQ(table.SelectedRow(), MessageTable::kNoRow);
  table.SelectRow(0);
  table.SelectRow(100);
  EXPECT_EQ(table.SelectedRow(), MessageTable::kNoRow);
  table.SetFocusedRow(100);
  EXPECT_EQ(table.FocusedRow(), MessageTable::kNoRow);
  EXPECT_FALSE(table.IsModified());
}

TEST(MessageTableTest, LoadRowsFillsFromTheTopIgnoresExtraRowsAndIsNotModified) {
  MessageTable table;
  table.SetRow(90, Numbered(90));
  std::vector<MessageRow> rows;
  for (int n = 1; n <= 120; ++n) {
    rows.push_back(Numbered(n));
  }
  table.LoadRows(rows);
  EXPECT_FALSE(table.IsModified());
  EXPECT_EQ(table.RowCount(), 99);
  EXPECT_EQ(table.GetRow(99), Numbered(99));

  table.LoadRows({Numbered(1)});
  EXPECT_EQ(table.LastUsedRow(), 1);
  EXPECT_TRUE(table.IsRowEmpty(90));
}

TEST(MessageTableTest, ListenersHearEditsOnceWithTheRowRangeAndModifiedOnlyWhenItChanges) {
  MessageTable table;
  RecordingListener listener;
  table.AddListener(&listener);

  table.SetItemText(4, MessageTable::kMessageColumn, "a");
  table.SetActive(4, 1);
  table.SetFocusedRow(10);
  table.InsertRow();
  table.SelectRow(3);
  table.ClearSelection();
  table.SwitchMessageTrigger();
  table.ResetRows(99);
  EXPECT_THAT(listener.events, ElementsAre("rows 4-4", "modified", "rows 4-4", "focus 10 -1",
                                           "rows 10-99", "focus 3 3", "focus 3 -1", "rows 1-4",
                                           "about to reset", "reset", "focus -1 -1", "unmodified"));

  table.RemoveListener(&listener);
  table.SetActive(1, 1);
  EXPECT_EQ(listener.events.size(), 12u);
}

TEST(MessageTableTest, ACopyKeepsTheContentButNotTheListeners) {
  MessageTable table;
  RecordingListener listener;
  table.AddListener(&listener);
  table.SetRow(2, Numbered(2));
  table.SelectRow(2);
  MessageTable copy(table);
  listener.events.clear();
  copy.SetRow(3, Numbered(3));
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(copy.GetRow(2), Numbered(2));
  EXPECT_EQ(copy.SelectedRow(), 2);
  EXPECT_TRUE(copy.IsModified());
  EXPECT_TRUE(table.IsRowEmpty(3));
}

TEST(MessageTableTest, AListenerMayRemoveItselfWhileBeingTold) {
  MessageTable table;
  class OneShot : public MessageTableListener {
   public:
    explicit OneShot(MessageTable& table) : m_Table(table) {}
    void RowsChanged(int, int) override {
      ++calls;
      m_Table.RemoveListener(this);
    }
    int calls = 0;

   private:
    MessageTable& m_Table;
  };
  OneShot first(table);
  RecordingListener second;
  table.AddListener(&first);
  table.AddListener(&second);
  table.SetActive(1, 1);
  table.SetActive(2, 1);
  EXPECT_EQ(first.calls, 1);
  EXPECT_THAT(second.events, ElementsAre("rows 1-1", "modified", "rows 2-2"));
}

}  // namespace

}  // namespace linkwright
