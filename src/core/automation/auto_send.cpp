#include "automation/auto_send.h"

#include "diag/diag_log.h"
#include "document/message_table.h"

namespace linkwright {

int NextActiveRow(const MessageTable& table, int start) {
  const int count = table.RowCount();
  // Rows after start first, start itself last; without a row to start from, from the top.
  const int first = table.IsMessageRow(start) ? start + 1 : 1;
  for (int i = 0; i < count; ++i) {
    const int row = (first - 1 + i) % count + 1;
    if (table.GetActive(row) != 0) {
      return row;
    }
  }
  return -1;
}

int AutoSendRow(MessageTable& table) {
  const int row = NextActiveRow(table, table.FocusedRow());
  if (row < 1) {
    DiagLog('W', "AutoSend() fallito : nessuna riga selezionata");
    return 0;
  }
  table.SelectRow(row);
  return row;
}

}  // namespace linkwright
