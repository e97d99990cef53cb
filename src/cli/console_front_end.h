#pragma once

#include <iosfwd>
#include <string>

#include "error.h"
#include "front_end/front_end.h"
#include "front_end/trace_timestamps.h"

namespace linkwright {

// The console's front-end: the trace goes to standard output with its CRLF line ends written
// as plain line feeds, so scripts read ordinary lines, and each batch written at once (one write
// when the stream's buffer is its own, see main); the link description ("link: TEXT",
// whenever it changes) and notices go to standard error. Beeps, the link state and the
// transmit pane have nothing to show on a console and are ignored. When a trace write fails,
// nothing more is written and the command ends: with a closed pipe quietly, otherwise with
// TraceFailure as its one error line. With timestamps shown, each trace line starts with the local
// time it began ("HH:MM:SS.mmm ").
class ConsoleFrontEnd : public FrontEnd {
 public:
  ConsoleFrontEnd(std::ostream& out, std::ostream& err);

  void ShowTimestamps(bool show) { m_Timestamps = show; }

  void AppendTrace(const TraceBatch& pieces) override;
  // Printed text cannot be taken back; the console keeps it.
  void ClearTrace() override {}
  void PlaySignal(bool /*success*/) override {}
  void SetTxPaneText(const std::string& /*text*/) override {}
  void ShowLinkStatus(const std::string& description, LinkState state) override;
  void ShowNotice(const std::string& text) override;

  // A trace write failed; nothing more is written.
  bool TraceStopped() const { return m_TraceStopped; }
  // Why, for the error line; no failure when the reader went away (a closed pipe), which needs
  // none.
  const Error& TraceFailure() const { return m_TraceFailure; }

 private:
  std::ostream& m_Out;
  std::ostream& m_Err;
  std::string m_LinkPane;
  bool m_TraceStopped = false;
  Error m_TraceFailure;
  bool m_Timestamps = false;
  TraceTimestamper m_Stamper;
  std::string m_Text;
};

// Sets `text` to the trace text of the pieces as TraceText gives it, with every CR LF pair
// turned into a single LF; `text` keeps its memory.
void SetTraceTextWithLineFeeds(const TraceBatch& pieces, std::string& text);
// The text with every CR LF pair turned into a single LF.
std::string WithLineFeeds(std::string text);
// The same in place.
void TurnLineEndsIntoLineFeeds(std::string& text);

}  // namespace linkwright
