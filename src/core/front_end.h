#pragma once

#include <string>

// What the core asks of a front-end. The Qt window and the console each implement it; the core
// never talks to a screen, a speaker or a keyboard in any other way.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Appends text to the end of the trace; `text` is already in its final form.
  virtual void AppendTrace(const std::string& text) = 0;
  virtual void ClearTrace() = 0;

  // Sounds one of two distinguishable signals: success or failure.
  virtual void PlaySignal(bool success) = 0;

  virtual void SetTxPaneText(const std::string& text) = 0;
  virtual void SetLinkPaneText(const std::string& text) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // The link state's icon by resource number (131 … 142); 0 means no icon.
  virtual void SetLinkIcon(int iconId) = 0;

  // The one notice the core shows the user; it must not block the caller.
  virtual void ShowNotice(const std::string& text) = 0;

  // Moves the table's selection to a row (1 … 99), as AutoReply and AutoSend do.
  virtual void SelectRow(int row) = 0;
};
