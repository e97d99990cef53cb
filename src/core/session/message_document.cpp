#include "session/message_document.h"

#include "automation/auto_send.h"

namespace linkwright {

MessageDocument::MessageDocument(const Configuration& config, TraceWriter& trace)
    : m_PreparedRows(m_Table),
      m_ReceiveCycle(config, trace),
      m_AutoReplier(config, m_Table, m_PreparedRows) {}

int MessageDocument::AutoSendRow() {
  return linkwright::AutoSendRow(m_Table);
}

int MessageDocument::NextActiveRow(int start) const {
  return linkwright::NextActiveRow(m_Table, start);
}

}  // namespace linkwright
