#pragma once

#include <string>
#include <vector>

namespace linkwright {

// One message row: what is sent, a free comment, the active mark (0 = off, anything else = on)
// and the AutoReply trigger. Message and trigger are escaped text.
struct MessageRow {
  std::string message;
  std::string comment;
  int active = 0;
  std::string trigger;

  bool operator==(const MessageRow&) const = default;
};

// What a view follows to stay in step with a table. Every callback comes after the change.
class MessageTableListener {
 public:
  virtual ~MessageTableListener() = default;

  // Cells of rows first … last (inclusive) may have new content.
  virtual void RowsChanged(int /*first*/, int /*last*/) {}
  // Called just before and just after every row is replaced (the row count may change).
  virtual void TableAboutToReset() {}
  virtual void TableReset() {}
  virtual void FocusChanged(int /*focusedRow*/, int /*selectedRow*/) {}
  virtual void ModifiedChanged(bool /*modified*/) {}
};

// The message list: rows 1 … RowCount() of message, comment, active value and trigger, the
// focused row and the selected row, and the modified flag. Row 0 is the header row; column 0
// is the label column ("F1" … "F99"), columns 1 … 4 hold message, comment, active, trigger.
// Addresses outside the table read as empty and are ignored when written. Cell texts end at
// their first NUL byte, as the grid's cells always did, so every table can be written to a
// message file and read back.
class MessageTable {
 public:
  static constexpr int kDefaultRowCount = 99;
  static constexpr int kNoRow = -1;
  enum Column { kLabelColumn = 0, kMessageColumn, kCommentColumn, kActiveColumn, kTriggerColumn };
  static constexpr int kColumnCount = 5;

  MessageTable();
  // A copy has the same content, focus, selection and modified flag, but no listeners: a view
  // follows one table, not every copy of it.
  MessageTable(const MessageTable& other);
  MessageTable& operator=(const MessageTable&) = delete;

  // Header text of a column ("key", "message", "comment", "", "trigger").
  static std::string ColumnTitle(int column);
  // Label of a row in column 0: "F%d".
  static std::string RowLabel(int row);

  void AddListener(MessageTableListener* listener);
  void RemoveListener(MessageTableListener* listener);

  // Discards every row and makes `n` fresh empty ones; focus and selection go, the modified
  // flag is cleared.
  void ResetRows(int n);
  int RowCount() const { return static_cast<int>(m_Rows.size()); }
  bool IsMessageRow(int row) const { return row >= 1 && row <= RowCount(); }

  // True for a row outside 1 … RowCount() and for a row whose four texts are empty (the
  // active mark alone does not make a row used).
  bool IsRowEmpty(int row) const;
  // The last row that is not empty, 0 when every row is.
  int LastUsedRow() const;

  // Shifts rows focused … last-1 down by one and empties the focused row; the last row's
  // content is lost. Does nothing without a focused message row.
  void InsertRow();
  // Shifts rows focused+1 … last up by one and empties the last row. Does nothing without a
  // focused message row.
  void DeleteRow();
  // Exchanges message and trigger in rows 1 … LastUsedRow(); does nothing on an empty table.
  void SwitchMessageTrigger();

  // Cell text of columns 1 … 4; the active column has no text.
  std::string GetItemText(int row, int column) const;
  void SetItemText(int row, int column, const std::string& text);
  int GetActive(int row) const;
  void SetActive(int row, int value);
  MessageRow GetRow(int row) const;
  void SetRow(int row, const MessageRow& content);

  // Resets the table, fills rows 1 … from `rows` (entries past the last row are ignored) and
  // clears the modified flag, as opening a file does.
  void LoadRows(const std::vector<MessageRow>& rows);

  // Focused row: kNoRow, 0 (header) or a message row.
  int FocusedRow() const { return m_FocusedRow; }
  void SetFocusedRow(int row);
  // Selected whole row, kNoRow when nothing is selected.
  int SelectedRow() const { return m_SelectedRow; }
  // Selects a whole row and moves the focus into it, as AutoReply and AutoSend do.
  void SelectRow(int row);
  void ClearSelection();

  bool IsModified() const { return m_Modified; }
  void SetModified(bool modified);

 private:
  MessageRow* RowAt(int row);
  const MessageRow* RowAt(int row) const;
  void ReplaceRows(std::vector<MessageRow> rows);
  void SetFocusAndSelection(int focusedRow, int selectedRow);
  void ChangedRows(int first, int last);

  // A listener may remove itself while being told, so each notice walks a copy of the list.
  template <typename Method, typename... Args>
  void Notify(Method method, Args... args) {
    for (auto* listener : std::vector(m_Listeners)) {
      (listener->*method)(args...);
    }
  }

  std::vector<MessageRow> m_Rows;
  int m_FocusedRow = kNoRow;
  int m_SelectedRow = kNoRow;
  bool m_Modified = false;
  std::vector<MessageTableListener*> m_Listeners;
};

}  // namespace linkwright
