#include "codec/symbol_listing.h"

#include <cstdio>

#include "codec/escape_codec.h"

namespace linkwright {

std::string SymbolListing() {
  std::string text = "sym     dec   hex   ctrl\r\n------------------------";
  for (int value = 0; !ControlSymbolName(value).empty(); ++value) {
    char line[64];
    std::snprintf(line, sizeof line, "\r\n%4.4s    %02d    0x%02x    ^%c",
                  ControlSymbolName(value).c_str(), value, value, value + 64);
    text += line;
  }
  return text;
}

}  // namespace linkwright
