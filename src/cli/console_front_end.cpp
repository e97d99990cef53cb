#include "console_front_end.h"

#include <ostream>

ConsoleFrontEnd::ConsoleFrontEnd(std::ostream& out, std::ostream& err) : m_Out(out), m_Err(err) {}

void ConsoleFrontEnd::AppendTrace(const TraceBatch& pieces) {
  m_Out << WithLineFeeds(TraceText(pieces)) << std::flush;
}

void ConsoleFrontEnd::ShowLinkStatus(const std::string& description, LinkState /*state*/) {
  if (description != m_LinkPane) {
    m_LinkPane = description;
    m_Err << "link: " << description << std::endl;
  }
}

void ConsoleFrontEnd::ShowNotice(const std::string& text) {
  m_Err << text << std::endl;
}

std::string WithLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}
