#include "automation/prepared_triggers.h"

#include <algorithm>

#include "codec/escape_codec.h"

PreparedTriggers::PreparedTriggers(MessageTable& table) : m_Table(table) {
  m_Table.AddListener(this);
}

PreparedTriggers::~PreparedTriggers() {
  m_Table.RemoveListener(this);
}

PreparedTriggers::Prepared& PreparedTriggers::Decoded(int row) {
  const size_t index = static_cast<size_t>(row - 1);
  if (index >= m_Rows.size()) {
    m_Rows.resize(index + 1);
  }
  Prepared& prepared = m_Rows[index];
  if (!prepared.decoded) {
    prepared.bytes = TextToBytes(m_Table.GetItemText(row, MessageTable::kTriggerColumn));
    prepared.decoded = true;
  }
  return prepared;
}

const std::vector<int>& PreparedTriggers::ActiveRows() {
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

const ByteString& PreparedTriggers::Bytes(int row) {
  return Decoded(row).bytes;
}

const RegexChecker& PreparedTriggers::Expression(int row) {
  Prepared& prepared = Decoded(row);
  if (!prepared.expression) {
    prepared.expression.emplace(prepared.bytes);
  }
  return *prepared.expression;
}

void PreparedTriggers::RowsChanged(int first, int last) {
  m_ActiveRowsKnown = false;
  const int end = std::min(last, static_cast<int>(m_Rows.size()));
  for (int row = std::max(first, 1); row <= end; ++row) {
    m_Rows[static_cast<size_t>(row - 1)] = Prepared();
  }
}

void PreparedTriggers::TableReset() {
  m_ActiveRowsKnown = false;
  m_Rows.clear();
}
