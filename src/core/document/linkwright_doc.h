#pragma once

#include "automation/auto_reply.h"
#include "automation/row_sender.h"
#include "byte_string.h"
#include "document/message_table.h"
#include "document/receive_cycle.h"

class CLinkController;
class FrontEnd;

// The document both front-ends share: the message table and what is done with its rows,
// sending a row, the receive cycle with AutoReply, and the AutoSend step. The link controller
// and the front-end belong to the front-end's main window and outlive the document.
class CLinkwrightDoc : public RowSender {
 public:
  CLinkwrightDoc(CLinkController& link, FrontEnd& frontEnd);
  CLinkwrightDoc(const CLinkwrightDoc&) = delete;
  CLinkwrightDoc& operator=(const CLinkwrightDoc&) = delete;

  MessageTable& Table() { return m_Table; }
  const MessageTable& Table() const { return m_Table; }

  // Sends the message of row 1 … 99 over the link and sounds the result beep. False, without
  // touching the link, for a row out of range, a message that decodes to no bytes, or a closed
  // link; otherwise the result of the link's Send, which traces and counts the message.
  bool SendRow(int row) override;

  // Selects the row in the table and has the front-end bring it into view.
  void SelectRow(int row) override;

  // One tick of the receive-polling timer: the receive cycle, each packet offered to AutoReply.
  void ReceiveTick();

  // Answers a packet with the first matching active row (see AutoReplier).
  bool AutoReply(const ByteString& packet);

  // One step of the AutoSend cycle (see auto_send.h).
  bool AutoSendStep();
  int NextActiveRow(int start) const;

 private:
  bool SendRowMessage(int row);

  CLinkController& m_Link;
  FrontEnd& m_FrontEnd;
  MessageTable m_Table;
  ReceiveCycle m_ReceiveCycle;
  AutoReplier m_AutoReplier;
};
