#include "front_end/front_end.h"

#include "version.h"

std::string LinkTitle(const std::string& description) {
  return description + " - Linkwright " + kLinkwrightVersion;
}

std::string TraceText(const TraceBatch& pieces) {
  std::string text;
  for (const TracePiece& piece : pieces) {
    text += piece.text;
    if (piece.endsLine) {
      text += "\r\n";
    }
  }
  return text;
}
