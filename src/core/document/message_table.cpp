#include "document/message_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace linkwright {

namespace {

std::string CellText(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

MessageRow CellRow(const MessageRow& row) {
  return MessageRow{CellText(row.message), CellText(row.comment), row.active,
                    CellText(row.trigger)};
}

}  // namespace

MessageTable::MessageTable() {
  ResetRows(kDefaultRowCount);
}

MessageTable::MessageTable(const MessageTable& other)
    : m_Rows(other.m_Rows),
      m_FocusedRow(other.m_FocusedRow),
      m_SelectedRow(other.m_SelectedRow),
      m_Modified(other.m_Modified) {}

std::string MessageTable::ColumnTitle(int column) {
  static const std::array<const char*, kColumnCount> kTitles{"key", "message", "comment", "",
                                                             "trigger"};
  if (column < 0 || column >= kColumnCount) {
    return {};
  }
  return kTitles[static_cast<size_t>(column)];
}

std::string MessageTable::RowLabel(int row) {
  return "F" + std::to_string(row);
}

void MessageTable::AddListener(MessageTableListener* listener) {
  m_Listeners.push_back(listener);
}

void MessageTable::RemoveListener(MessageTableListener* listener) {
  std::erase(m_Listeners, listener);
}

void MessageTable::ResetRows(int n) {
  ReplaceRows(std::vector<MessageRow>(static_cast<size_t>(std::max(n, 0))));
}

bool MessageTable::IsRowEmpty(int row) const {
  const MessageRow* content = RowAt(row);
  return content == nullptr ||
         (content->message.empty() && content->comment.empty() && content->trigger.empty());
}

int MessageTable::LastUsedRow() const {
  int row = RowCount();
  while (row > 0 && IsRowEmpty(row)) {
    --row;
  }
  return row;
}

void MessageTable::InsertRow() {
  if (!IsMessageRow(m_FocusedRow)) {
    return;
  }
  auto focused = m_Rows.begin() + (m_FocusedRow - 1);
  std::move_backward(focused, m_Rows.end() - 1, m_Rows.end());
  *focused = MessageRow{};
  ChangedRows(m_FocusedRow, RowCount());
}

void MessageTable::DeleteRow() {
  if (!IsMessageRow(m_FocusedRow)) {
    return;
  }
  auto focused = m_Rows.begin() + (m_FocusedRow - 1);
  std::move(focused + 1, m_Rows.end(), focused);
  m_Rows.back() = MessageRow{};
  ChangedRows(m_FocusedRow, RowCount());
}

void MessageTable::SwitchMessageTrigger() {
  int last = LastUsedRow();
  if (last <= 0) {
    return;
  }
  for (int row = 1; row <= last; ++row) {
    MessageRow& content = *RowAt(row);
    std::swap(content.message, content.trigger);
  }
  ChangedRows(1, last);
}

std::string MessageTable::GetItemText(int row, int column) const {
  const MessageRow* content = RowAt(row);
  if (content == nullptr) {
    return {};
  }
  switch (column) {
    case kMessageColumn:
      return content->message;
    case kCommentColumn:
      return content->comment;
    case kTriggerColumn:
      return content->trigger;
    default:
      return {};
  }
}

void MessageTable::SetItemText(int row, int column, const std::string& text) {
  MessageRow* content = RowAt(row);
  if (content == nullptr) {
    return;
  }
  switch (column) {
    case kMessageColumn:
      content->message = CellText(text);
      break;
    case kCommentColumn:
      content->comment = CellText(text);
      break;
    case kTriggerColumn:
      content->trigger = CellText(text);
      break;
    default:
      return;
  }
  ChangedRows(row, row);
}

int MessageTable::GetActive(int row) const {
  const MessageRow* content = RowAt(row);
  return content == nullptr ? 0 : content->active;
}

void MessageTable::SetActive(int row, int value) {
  MessageRow* content = RowAt(row);
  if (content == nullptr) {
    return;
  }
  content->active = value;
  ChangedRows(row, row);
}

MessageRow MessageTable::GetRow(int row) const {
  const MessageRow* content = RowAt(row);
  return content == nullptr ? MessageRow{} : *content;
}

void MessageTable::SetRow(int row, const MessageRow& content) {
  MessageRow* target = RowAt(row);
  if (target == nullptr) {
    return;
  }
  *target = CellRow(content);
  ChangedRows(row, row);
}

void MessageTable::LoadRows(const std::vector<MessageRow>& rows) {
  std::vector<MessageRow> loaded(m_Rows.size());
  std::transform(rows.begin(),
                 rows.begin() + static_cast<std::ptrdiff_t>(std::min(rows.size(), loaded.size())),
                 loaded.begin(), CellRow);
  ReplaceRows(std::move(loaded));
}

void MessageTable::SetFocusedRow(int row) {
  if (row < 0 || row > RowCount()) {
    row = kNoRow;
  }
  SetFocusAndSelection(row, m_SelectedRow);
}

void MessageTable::SelectRow(int row) {
  if (!IsMessageRow(row)) {
    return;
  }
  SetFocusAndSelection(row, row);
}

void MessageTable::ClearSelection() {
  SetFocusAndSelection(m_FocusedRow, kNoRow);
}

void MessageTable::SetModified(bool modified) {
  if (m_Modified == modified) {
    return;
  }
  m_Modified = modified;
  Notify(&MessageTableListener::ModifiedChanged, modified);
}

MessageRow* MessageTable::RowAt(int row) {
  return IsMessageRow(row) ? &m_Rows[static_cast<size_t>(row - 1)] : nullptr;
}

const MessageRow* MessageTable::RowAt(int row) const {
  return IsMessageRow(row) ? &m_Rows[static_cast<size_t>(row - 1)] : nullptr;
}

void MessageTable::SetFocusAndSelection(int focusedRow, int selectedRow) {
  if (focusedRow == m_FocusedRow && selectedRow == m_SelectedRow) {
    return;
  }
  m_FocusedRow = focusedRow;
  m_SelectedRow = selectedRow;
  Notify(&MessageTableListener::FocusChanged, focusedRow, selectedRow);
}

void MessageTable::ReplaceRows(std::vector<MessageRow> rows) {
  Notify(&MessageTableListener::TableAboutToReset);
  m_Rows = std::move(rows);
  Notify(&MessageTableListener::TableReset);
  SetFocusAndSelection(kNoRow, kNoRow);
  SetModified(false);
}

// Every edit of the table marks it modified, as the grid's end-of-edit notice does.
void MessageTable::ChangedRows(int first, int last) {
  Notify(&MessageTableListener::RowsChanged, first, last);
  SetModified(true);
}

}  // namespace linkwright
