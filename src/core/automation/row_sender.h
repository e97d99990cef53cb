#pragma once

// What AutoReply and AutoSend do with the row they picked. The document implements it, so the
// automation reaches the link and the front-end only through the one way every row is sent.
class RowSender {
 public:
  virtual ~RowSender() = default;

  // Selects the whole row (the focus moves into it) and brings it into view.
  virtual void SelectRow(int row) = 0;
  // Sends the row's message; true when the link reported success.
  virtual bool SendRow(int row) = 0;
};
