#include "automation/prepared_rows.h"

#include <algorithm>

#include "codec/escape_codec.h"

namespace linkwright {

PreparedRows::PreparedRows(MessageTable& table) : m_Table(table) {
  m_Table.AddListener(this);
}

PreparedRows::~PreparedRows() {
  m_Table.RemoveListener(this);
}

PreparedRows::Prepared& PreparedRows::Row(int row) {
  const size_t index = static_cast<size_t>(row - 1);
  if (index >= m_Rows.size()) {
    m_Rows.resize(index + 1);
  }
  return m_Rows[index];
}

const ByteString& PreparedRows::Decoded(int row, int column, std::optional<ByteString>& bytes) {
  if (!bytes) {
    bytes = TextToBytes(m_Table.GetItemText(row, column));
  }
  return *bytes;
}

const std::vector<int>& PreparedRows::ActiveRows() {
  if (!m_ActiveRowsKnown) {
    m_ActiveRows.clear();
    for (int row = 1; row <= m_Table.RowCount(); ++row) {
      if (m_Table.GetActive(row) != 0) {
        m_ActiveRows.push_back(row);
      }
    }
    m_ActiveRowsKnown = true;
  }
  return m_ActiveRows;
}

const ByteString& PreparedRows::MessageBytes(int row) {
  return Decoded(row, MessageTable::kMessageColumn, Row(row).message);
}

const ByteString& PreparedRows::Bytes(int row) {
  return Decoded(row, MessageTable::kTriggerColumn, Row(row).bytes);
}

const RegexChecker& PreparedRows::Expression(int row) {
  Prepared& prepared = Row(row);
  if (!prepared.expression) {
    prepared.expression.emplace(Bytes(row));
  }
  return *prepared.expression;
}

void PreparedRows::RowsChanged(int first, int last) {
  m_ActiveRowsKnown = false;
  const int end = std::min(last, static_cast<int>(m_Rows.size()));
  for (int row = std::max(first, 1); row <= end; ++row) {
    m_Rows[static_cast<size_t>(row - 1)] = Prepared();
  }
}

void PreparedRows::TableReset() {
  m_ActiveRowsKnown = false;
  m_Rows.clear();
}

}  // namespace linkwright
