#include "document/linkwright_doc.h"

#include "automation/auto_send.h"
#include "codec/escape_codec.h"
#include "document/result_beep.h"
#include "front_end.h"
#include "link/link_controller.h"

CLinkwrightDoc::CLinkwrightDoc(CLinkController& link, FrontEnd& frontEnd)
    : m_Link(link), m_FrontEnd(frontEnd), m_AutoReplier(m_Table, *this) {}

bool CLinkwrightDoc::SendRow(int row) {
  const bool result = SendRowMessage(row);
  PlayResultBeep(m_FrontEnd, result);
  return result;
}

bool CLinkwrightDoc::SendRowMessage(int row) {
  if (!m_Table.IsMessageRow(row)) {
    return false;
  }
  const ByteString message = TextToBytes(m_Table.GetItemText(row, MessageTable::kMessageColumn));
  if (message.empty() || !m_Link.IsOpen()) {
    return false;
  }
  return m_Link.Send(message);
}

void CLinkwrightDoc::SelectRow(int row) {
  m_Table.SelectRow(row);
  m_FrontEnd.SelectRow(row);
}

void CLinkwrightDoc::ReceiveTick() {
  m_ReceiveCycle.ReceiveTick(m_Link, m_FrontEnd,
                             [this](const ByteString& packet) { AutoReply(packet); });
}

bool CLinkwrightDoc::AutoReply(const ByteString& packet) {
  return m_AutoReplier.AutoReply(packet);
}

bool CLinkwrightDoc::AutoSendStep() {
  return ::AutoSendStep(m_Table, *this);
}

int CLinkwrightDoc::NextActiveRow(int start) const {
  return ::NextActiveRow(m_Table, start);
}
