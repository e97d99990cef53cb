#include "automation/auto_reply.h"

#include <algorithm>
#include <vector>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "diag/diag_log.h"
#include "document/message_table.h"

namespace linkwright {

AutoReplier::AutoReplier(const Configuration& config, MessageTable& table, PreparedRows& rows)
    : m_Config(config), m_Table(table), m_Triggers(rows) {}

int AutoReplier::AutoReply(std::string_view packet) {
  const bool useRegex = m_Config.GetBool(setting::kUseRegex);
  if (DiagEnabled()) {
    DiagLog(' ', "AutoReply test for \"%s\"", BytesToText(packet, false).c_str());
  }
  // Without an active row nothing can match, wherever the ring would start: a stream into a
  // table without triggers is not slowed down by the search.
  const bool anyActive = !m_Triggers.ActiveRows().empty();
  const int row = anyActive ? FindMatchingRow(packet, FirstRowToTest(), useRegex) : 0;
  if (row == 0) {
    m_RememberedRow = 1;
    m_Table.ClearSelection();
    return 0;
  }
  m_Table.SelectRow(row);
  m_RememberedRow = row + 1;
  return row;
}

// After the focused row, else where the last scan left off. A start past the last row (focus
// on the last row, or a match there) begins the ring at row 1, so no row is skipped.
int AutoReplier::FirstRowToTest() {
  const int focused = m_Table.FocusedRow();
  if (focused != MessageTable::kNoRow) {
    m_RememberedRow = focused + 1;
  }
  if (!m_Table.IsMessageRow(m_RememberedRow)) {
    m_RememberedRow = 1;
  }
  return m_RememberedRow;
}

// Only active rows can match, so the ring runs over the list of active rows, from the first
// one at or after `start`.
int AutoReplier::FindMatchingRow(std::string_view packet, int start, bool useRegex) {
  const std::vector<int>& active = m_Triggers.ActiveRows();
  const size_t count = active.size();
  const size_t first =
      static_cast<size_t>(std::lower_bound(active.begin(), active.end(), start) - active.begin());
  for (size_t i = 0; i < count; ++i) {
    const int row = active[(first + i) % count];
    if (RowMatches(row, packet, useRegex)) {
      return row;
    }
  }
  return 0;
}

bool AutoReplier::RowMatches(int row, std::string_view packet, bool useRegex) {
  return m_Triggers.Bytes(row) == packet ||
         (useRegex && m_Triggers.Expression(row).CheckRegex(packet));
}

}  // namespace linkwright
