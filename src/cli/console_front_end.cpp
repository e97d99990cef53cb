#include "console_front_end.h"

#include <ostream>

ConsoleFrontEnd::ConsoleFrontEnd(std::ostream& out, std::ostream& err) : m_Out(out), m_Err(err) {}

void ConsoleFrontEnd::AppendTrace(const std::string& text) {
  m_Out << WithLineFeeds(text) << std::flush;
}

void ConsoleFrontEnd::SetLinkPaneText(const std::string& text) {
  if (text != m_LinkPane) {
    m_LinkPane = text;
    m_Err << "link: " << text << std::endl;
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
