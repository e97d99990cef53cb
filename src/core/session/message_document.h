#pragma once

#include <string_view>

#include "automation/auto_reply.h"
#include "byte_string.h"
#include "document/message_table.h"
#include "session/receive_cycle.h"
#include "session/response_statistics.h"

namespace linkwright {

class Configuration;
class TraceWriter;

// The document both front-ends share: the message table and what is decided about its rows:
// the receive cycle that cuts packets, AutoReply and AutoSend that pick the row to send, and
// the statistics of the rows sent. It sends nothing itself; the session sends the rows picked.
// The configuration and the trace writer outlive the document.
class MessageDocument {
 public:
  MessageDocument(const Configuration& config, TraceWriter& trace);
  MessageDocument(const MessageDocument&) = delete;
  MessageDocument& operator=(const MessageDocument&) = delete;

  MessageTable& Table() { return m_Table; }
  const MessageTable& Table() const { return m_Table; }
  // How often each row was sent and how fast the device answered it.
  ResponseStatistics& Statistics() { return m_Statistics; }
  ReceiveCycle& Receiving() { return m_ReceiveCycle; }
  const ReceiveCycle& Receiving() const { return m_ReceiveCycle; }

  // The bytes of a message row's message, decoded once per edit of the row.
  const ByteString& MessageBytes(int row) { return m_PreparedRows.MessageBytes(row); }
  // The row that answers a packet, selected; 0 when none matches (see AutoReplier).
  int AutoReplyRow(std::string_view packet) { return m_AutoReplier.AutoReply(packet); }
  // The row of the next AutoSend step, selected; 0 when no row is active (see auto_send.h).
  int AutoSendRow();
  int NextActiveRow(int start) const;

 private:
  MessageTable m_Table;
  PreparedRows m_PreparedRows;
  ReceiveCycle m_ReceiveCycle;
  AutoReplier m_AutoReplier;
  ResponseStatistics m_Statistics;
};

}  // namespace linkwright
