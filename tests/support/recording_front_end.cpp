#include "support/recording_front_end.h"

void RecordingFrontEnd::AppendTrace(const std::string& text) {
  trace += text;
  appends.push_back(text);
}

void RecordingFrontEnd::ClearTrace() {
  trace.clear();
  ++clears;
}

void RecordingFrontEnd::PlaySignal(bool success) {
  signals.push_back(success);
}

void RecordingFrontEnd::SetTxPaneText(const std::string& text) {
  txPane = text;
}

void RecordingFrontEnd::SetLinkPaneText(const std::string& text) {
  linkPane = text;
}

void RecordingFrontEnd::SetTitle(const std::string& text) {
  title = text;
}

void RecordingFrontEnd::SetLinkIcon(int iconId) {
  icon = iconId;
}

void RecordingFrontEnd::ShowNotice(const std::string& text) {
  notices.push_back(text);
}

void RecordingFrontEnd::SelectRow(int row) {
  selectedRows.push_back(row);
}
