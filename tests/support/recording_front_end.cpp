#include "support/recording_front_end.h"

namespace linkwright {

void RecordingFrontEnd::AppendTrace(const TraceBatch& pieces) {
  const std::string text = TraceText(pieces);
  trace += text;
  appends.push_back(text);
  batches.push_back(pieces);
}

void RecordingFrontEnd::ClearTrace() {
  trace.clear();
  ++clears;
}

void RecordingFrontEnd::PlaySignal(bool success) {
  playedSignals.push_back(success);
}

void RecordingFrontEnd::SetTxPaneText(const std::string& text) {
  txPane = text;
}

void RecordingFrontEnd::ShowLinkStatus(const std::string& description, LinkState linkState) {
  linkPane = description;
  title = LinkTitle(description);
  state = linkState;
  ++statusShows;
}

void RecordingFrontEnd::ShowNotice(const std::string& text) {
  notices.push_back(text);
}

}  // namespace linkwright
