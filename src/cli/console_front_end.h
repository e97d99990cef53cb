#pragma once

#include <iosfwd>
#include <string>

#include "front_end/front_end.h"

// The console's front-end: the trace goes to standard output with its CRLF line ends written
// as plain line feeds, so scripts read ordinary lines, and each batch written at once (one write
// when the stream's buffer is its own, see main); the link description ("link: TEXT",
// whenever it changes) and notices go to standard error. Beeps, the link state and the
// transmit pane have nothing to show on a console and are ignored.
class ConsoleFrontEnd : public FrontEnd {
 public:
  ConsoleFrontEnd(std::ostream& out, std::ostream& err);

  void AppendTrace(const TraceBatch& pieces) override;
  // Printed text cannot be taken back; the console keeps it.
  void ClearTrace() override {}
  void PlaySignal(bool /*success*/) override {}
  void SetTxPaneText(const std::string& /*text*/) override {}
  void ShowLinkStatus(const std::string& description, LinkState state) override;
  void ShowNotice(const std::string& text) override;

 private:
  std::ostream& m_Out;
  std::ostream& m_Err;
  std::string m_LinkPane;
};

// The text with every CR LF pair turned into a single LF.
std::string WithLineFeeds(const std::string& text);
