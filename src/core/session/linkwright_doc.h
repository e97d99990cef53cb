#pragma once

#include <string>

#include "automation/auto_reply.h"
#include "automation/row_sender.h"
#include "byte_string.h"
#include "document/message_table.h"
#include "session/receive_cycle.h"
#include "session/response_statistics.h"

class CConfiguration;
class CLinkController;
class FrontEnd;

// The document both front-ends share: the message table and what is done with its rows,
// sending a row, the receive cycle with AutoReply, and the AutoSend step. The configuration,
// the link controller and the front-end outlive the document.
class CLinkwrightDoc : public RowSender {
 public:
  CLinkwrightDoc(const CConfiguration& config, CLinkController& link, FrontEnd& frontEnd);
  CLinkwrightDoc(const CLinkwrightDoc&) = delete;
  CLinkwrightDoc& operator=(const CLinkwrightDoc&) = delete;

  MessageTable& Table() { return m_Table; }
  const MessageTable& Table() const { return m_Table; }
  // How often each row was sent and how fast the device answered it.
  ResponseStatistics& Statistics() { return m_Statistics; }

  // Sends the message of row 1 … 99 over the link and sounds the result beep. False, without
  // touching the link, for a row out of range, a message that decodes to no bytes, or a closed
  // link; otherwise the result of the link's Send, which traces and counts the message (a sent
  // row also starts its wait for an answer in the statistics, which a reply coming back within
  // the send, over an exchanging link, ends at once). On false LastFailure says why.
  bool SendRow(int row) override;
  // Why the last SendRow failed, in words for a person ("row 3: no message").
  const std::string& LastFailure() const { return m_LastFailure; }
  // The failure text for a row number (as the user wrote it) outside 1 … rowCount.
  static std::string NoRowFailure(const std::string& row, int rowCount);

  // Selects the row in the table; views follow the table's focus notification.
  void SelectRow(int row) override;

  // One tick of the receive-polling timer at time `now`: the receive cycle, each packet answering
  // the rows waiting in the statistics and then offered to AutoReply. True when the tick stopped
  // at its time limit with more possibly waiting.
  bool ReceiveTick(ReceiveCycle::Clock::time_point now);
  const ReceiveCycle& Receiving() const { return m_ReceiveCycle; }

  // Answers a packet with the first matching active row (see AutoReplier).
  bool AutoReply(const ByteString& packet);

  // One step of the AutoSend cycle (see auto_send.h).
  bool AutoSendStep();
  int NextActiveRow(int start) const;

 private:
  // The failure of sending the row, or an empty text when it was sent.
  std::string SendRowMessage(int row);

  const CConfiguration& m_Config;
  CLinkController& m_Link;
  FrontEnd& m_FrontEnd;
  MessageTable m_Table;
  ReceiveCycle m_ReceiveCycle;
  AutoReplier m_AutoReplier;
  ResponseStatistics m_Statistics;
  // Set while AutoReply runs, so the rows it sends count as hits.
  bool m_InAutoReply = false;
  std::string m_LastFailure;
};
