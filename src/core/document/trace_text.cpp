#include "document/trace_text.h"

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "front_end.h"

namespace {

std::string TraceBody(const ByteString& bytes) {
  const CConfiguration& config = GetConfiguration();
  if (!config.GetBool("UserInterface", "HexTrace")) {
    return BytesToText(bytes, false);
  }
  if (config.GetBool("UserInterface", "HexTrace2")) {
    return BytesToText(bytes, true);
  }
  return HexDump(bytes, " ");
}

}  // namespace

std::string TraceText(const ByteString& bytes, bool isRx, bool endLine) {
  std::string text = isRx ? std::string() : std::string("<-- ");
  text += TraceBody(bytes);
  if (endLine) {
    text += "\r\n";
  }
  return text;
}

void WriteTrace(FrontEnd& frontEnd, const ByteString& bytes, bool isRx, bool endLine) {
  frontEnd.AppendTrace(TraceText(bytes, isRx, endLine));
}
