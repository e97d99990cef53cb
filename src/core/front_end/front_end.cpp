#include "front_end/front_end.h"

#include "version.h"

namespace linkwright {

std::string LinkTitle(const std::string& description) {
  return description + " - Linkwright " + kLinkwrightVersion;
}

std::string TraceText(const TraceBatch& pieces) {
  std::string text;
  AppendTraceText(pieces, text);
  return text;
}

void AppendTraceText(const TraceBatch& pieces, std::string& text, std::string_view lineEnd) {
  size_t size = text.size();
  for (const TracePiece& piece : pieces) {
    size += piece.text.size() + (piece.endsLine ? lineEnd.size() : 0);
  }
  text.reserve(size);
  for (const TracePiece& piece : pieces) {
    text += piece.text;
    if (piece.endsLine) {
      text += lineEnd;
    }
  }
}

}  // namespace linkwright
