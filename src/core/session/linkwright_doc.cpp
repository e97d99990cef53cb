#include "session/linkwright_doc.h"

#include "automation/auto_send.h"

CLinkwrightDoc::CLinkwrightDoc(const CConfiguration& config, TraceWriter& trace)
    : m_PreparedRows(m_Table),
      m_ReceiveCycle(config, trace),
      m_AutoReplier(config, m_Table, m_PreparedRows) {}

int CLinkwrightDoc::AutoSendRow() {
  return ::AutoSendRow(m_Table);
}

int CLinkwrightDoc::NextActiveRow(int start) const {
  return ::NextActiveRow(m_Table, start);
}
