#include "link/packet_extraction.h"

#include "codec/escape_codec.h"
#include "diag/diag_log.h"

namespace linkwright {

bool ExtractPacket(ByteString& buffer, const ByteString& opener, const ByteString& closer,
                   ByteString& body, bool consume) {
  body.clear();
  const size_t openerAt = buffer.find(opener);
  const size_t bodyAt = openerAt == ByteString::npos ? openerAt : openerAt + opener.size();
  const size_t closerAt = bodyAt == ByteString::npos ? bodyAt : buffer.find(closer, bodyAt);
  if (closerAt == ByteString::npos) {
    LogMatchNotFound();
    return false;
  }
  body = buffer.substr(bodyAt, closerAt - bodyAt);
  LogMatchFound(body);
  if (consume) {
    buffer.erase(0, closerAt + closer.size());
    DiagLog(' ', "Match pattern removed; SourceText=\"%s\"", BytesToText(buffer, false).c_str());
  }
  return true;
}

void LogMatchFound(std::string_view body) {
  if (DiagEnabled()) {
    DiagLog(' ', "Match found; TargetText=\"%s\"", BytesToText(body, false).c_str());
  }
}

void LogMatchNotFound() {
  DiagLog(' ', "Match not found");
}

}  // namespace linkwright
