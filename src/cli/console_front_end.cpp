#include "console_front_end.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ostream>

namespace linkwright {

ConsoleFrontEnd::ConsoleFrontEnd(std::ostream& out, std::ostream& err) : m_Out(out), m_Err(err) {}

void ConsoleFrontEnd::AppendTrace(const TraceBatch& pieces) {
  if (m_TraceStopped) {
    return;
  }
  // The text buffer is kept between batches: a stream's batches are large, and new memory for
  // each would cost more than the copying.
  if (m_Timestamps) {
    SetTraceTextWithLineFeeds(m_Stamper.Stamp(pieces, std::chrono::system_clock::now()), m_Text);
  } else {
    SetTraceTextWithLineFeeds(pieces, m_Text);
  }
  errno = 0;
  m_Out.write(m_Text.data(), static_cast<std::streamsize>(m_Text.size())).flush();
  if (!m_Out) {
    const int error = errno;
    m_TraceStopped = true;
    if (error != EPIPE) {
      m_TraceFailure = Error(ErrorKind::kSystem, std::string("cannot write the trace: ") +
                                                     std::strerror(error != 0 ? error : EIO));
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

void SetTraceTextWithLineFeeds(const TraceBatch& pieces, std::string& text) {
  // The trace form of data holds no CR, so line feeds can go in as the line ends at once; only
  // texts that hold a CR of their own are joined with CR LF and turned, which gives the same.
  text.clear();
  AppendTraceText(pieces, text, "\n");
  if (text.find('\r') != std::string::npos) {
    text.clear();
    AppendTraceText(pieces, text);
    TurnLineEndsIntoLineFeeds(text);
  }
}

std::string WithLineFeeds(std::string text) {
  TurnLineEndsIntoLineFeeds(text);
  return text;
}

void TurnLineEndsIntoLineFeeds(std::string& text) {
  size_t kept = text.find("\r\n");
  if (kept == std::string::npos) {
    return;
  }
  // Each run between two CR LFs moves left by the CRs dropped before it; copying forward is safe
  // because a run never moves right.
  char* data = text.data();
  size_t from = kept + 1;
  for (size_t lineEnd = text.find("\r\n", from); lineEnd != std::string::npos;
       lineEnd = text.find("\r\n", lineEnd + 1)) {
    kept = static_cast<size_t>(std::copy(data + from, data + lineEnd, data + kept) - data);
    from = lineEnd + 1;
  }
  kept = static_cast<size_t>(std::copy(data + from, data + text.size(), data + kept) - data);
  text.resize(kept);
}

}  // namespace linkwright
