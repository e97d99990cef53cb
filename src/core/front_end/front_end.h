#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/link_state.h"

namespace linkwright {

// Who put a piece of text into the trace: data sent, data received, or a report line such as
// the checksum report.
enum class TraceDirection { kSent, kReceived, kReport };

// One piece of the trace: its text in final form, without a line end, and whether a line end
// follows it. A front-end may colour or time-stamp pieces; joined with "\r\n" after each piece
// that ends a line (TraceText), they give the trace's text.
struct TracePiece {
  TraceDirection direction = TraceDirection::kReceived;
  std::string text;
  bool endsLine = false;

  bool operator==(const TracePiece&) const = default;
};

using TraceBatch = std::vector<TracePiece>;

// What the core asks of a front-end. The Qt window and the console each implement it; the core
// never talks to a screen, a speaker or a keyboard in any other way. Row focus is not part of
// it: a view follows the message table's own notifications.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Appends pieces to the end of the trace, in order: everything one tick or one command
  // traced, in one call.
  virtual void AppendTrace(const TraceBatch& pieces) = 0;
  virtual void ClearTrace() = 0;

  // Sounds one of two distinguishable signals: success or failure.
  virtual void PlaySignal(bool success) = 0;

  virtual void SetTxPaneText(const std::string& text) = 0;
  // The link's description (the link pane's text, also the start of the title, see LinkTitle)
  // and its state.
  virtual void ShowLinkStatus(const std::string& description, LinkState state) = 0;

  // The one notice the core shows the user; it must not block the caller.
  virtual void ShowNotice(const std::string& text) = 0;
};

// The main window's title for a link description: "<description> - Linkwright <version>".
std::string LinkTitle(const std::string& description);

// The text of the pieces as the trace shows it, "\r\n" after each piece that ends a line.
std::string TraceText(const TraceBatch& pieces);
// The same appended to `text`, which grows once, with `lineEnd` after each piece that ends a
// line; a caller that keeps `text` between batches reuses its memory.
void AppendTraceText(const TraceBatch& pieces, std::string& text,
                     std::string_view lineEnd = "\r\n");

}  // namespace linkwright
