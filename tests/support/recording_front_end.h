#pragma once

#include <string>
#include <vector>

#include "front_end/front_end.h"

namespace linkwright {

// A front-end that remembers every call, for tests of core code that talks to the user.
class RecordingFrontEnd : public FrontEnd {
 public:
  void AppendTrace(const TraceBatch& pieces) override;
  void ClearTrace() override;
  void PlaySignal(bool success) override;
  void SetTxPaneText(const std::string& text) override;
  void ShowLinkStatus(const std::string& description, LinkState linkState) override;
  void ShowNotice(const std::string& text) override;

  // The trace as it stands: every append since the last clear, joined.
  std::string trace;
  // The text of every append, in order, across clears.
  std::vector<std::string> appends;
  // The pieces of every append, in order, across clears.
  std::vector<TraceBatch> batches;
  int clears = 0;
  std::vector<bool> playedSignals;
  std::string txPane;
  std::string linkPane;
  // The title a window builds from the link description.
  std::string title;
  LinkState state = LinkState::kNoLink;
  int statusShows = 0;
  std::vector<std::string> notices;
};

}  // namespace linkwright
