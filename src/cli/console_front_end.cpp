#include "console_front_end.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ostream>

ConsoleFrontEnd::ConsoleFrontEnd(std::ostream& out, std::ostream& err) : m_Out(out), m_Err(err) {}

void ConsoleFrontEnd::AppendTrace(const TraceBatch& pieces) {
  if (m_TraceStopped) {
    return;
  }
  const std::string text = WithLineFeeds(
      m_Timestamps ? TraceText(m_Stamper.Stamp(pieces, std::chrono::system_clock::now()))
                   : TraceText(pieces));
  errno = 0;
  m_Out.write(text.data(), static_cast<std::streamsize>(text.size())).flush();
  if (!m_Out) {
    const int error = errno;
    m_TraceStopped = true;
    if (error != EPIPE) {
      m_TraceError =
          std::string("cannot write the trace: ") + std::strerror(error != 0 ? error : EIO);
    }
  }
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
  size_t from = 0;
  for (size_t lineEnd = text.find("\r\n"); lineEnd != std::string::npos;
       lineEnd = text.find("\r\n", lineEnd + 1)) {
    out.append(text, from, lineEnd - from);
    from = lineEnd + 1;
  }
  out.append(text, from);
  return out;
}
