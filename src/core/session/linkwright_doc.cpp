#include "session/linkwright_doc.h"

#include "automation/auto_send.h"
#include "codec/escape_codec.h"
#include "front_end/result_beep.h"
#include "link/link_controller.h"

CLinkwrightDoc::CLinkwrightDoc(const CConfiguration& config, CLinkController& link,
                               FrontEnd& frontEnd)
    : m_Config(config),
      m_Link(link),
      m_FrontEnd(frontEnd),
      m_ReceiveCycle(config, link.Trace()),
      m_AutoReplier(config, m_Table, *this) {}

bool CLinkwrightDoc::SendRow(int row) {
  const size_t repliesBefore = m_Link.ExchangeReplies();
  m_LastFailure = SendRowMessage(row);
  const bool result = m_LastFailure.empty();
  if (result) {
    m_Statistics.RowSent(row, m_InAutoReply);
    // Over an exchanging link the answer came back within the send.
    if (m_Link.ExchangeReplies() != repliesBefore) {
      m_Statistics.PacketCut();
    }
  }
  PlayResultBeep(m_Config, m_FrontEnd, result);
  return result;
}

std::string CLinkwrightDoc::SendRowMessage(int row) {
  if (!m_Table.IsMessageRow(row)) {
    return NoRowFailure(std::to_string(row), m_Table.RowCount());
  }
  const std::string label = "row " + std::to_string(row) + ": ";
  const ByteString message = TextToBytes(m_Table.GetItemText(row, MessageTable::kMessageColumn));
  if (message.empty()) {
    return label + "no message";
  }
  if (!m_Link.IsOpen()) {
    return label + "the link is not open";
  }
  return m_Link.Send(message) ? std::string() : label + m_Link.LastFailure();
}

std::string CLinkwrightDoc::NoRowFailure(const std::string& row, int rowCount) {
  return "no row " + row + " (rows are 1 … " + std::to_string(rowCount) + ")";
}

void CLinkwrightDoc::SelectRow(int row) {
  m_Table.SelectRow(row);
}

bool CLinkwrightDoc::ReceiveTick(ReceiveCycle::Clock::time_point now) {
  // What the tick receives and the replies it sends reach the front-end in one append.
  TraceWriter::Batch batch(m_Link.Trace());
  return m_ReceiveCycle.ReceiveTick(m_Link, now, [this](const ByteString& packet) {
    m_Statistics.PacketCut();
    AutoReply(packet);
  });
}

bool CLinkwrightDoc::AutoReply(const ByteString& packet) {
  m_InAutoReply = true;
  const bool replied = m_AutoReplier.AutoReply(packet);
  m_InAutoReply = false;
  return replied;
}

bool CLinkwrightDoc::AutoSendStep() {
  return ::AutoSendStep(m_Table, *this);
}

int CLinkwrightDoc::NextActiveRow(int start) const {
  return ::NextActiveRow(m_Table, start);
}
