#pragma once

#include <string>
#include <vector>

#include "front_end.h"

// A front-end that remembers every call, for tests of core code that talks to the user.
class RecordingFrontEnd : public FrontEnd {
 public:
  void AppendTrace(const std::string& text) override;
  void ClearTrace() override;
  void PlaySignal(bool success) override;
  void SetTxPaneText(const std::string& text) override;
  void SetLinkPaneText(const std::string& text) override;
  void SetTitle(const std::string& title) override;
  void SetLinkIcon(int iconId) override;
  void ShowNotice(const std::string& text) override;
  void SelectRow(int row) override;

  // The trace as it stands: every append since the last clear, joined.
  std::string trace;
  // Every append, in order, across clears.
  std::vector<std::string> appends;
  int clears = 0;
  std::vector<bool> signals;
  std::string txPane;
  std::string linkPane;
  std::string title;
  int icon = -1;
  std::vector<std::string> notices;
  std::vector<int> selectedRows;
};
