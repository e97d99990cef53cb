#pragma once

#include <string_view>

#include "byte_string.h"

namespace linkwright {

// The packet extraction rule shared by command replies and the receive cycle: find `opener` from
// the start of `buffer` (an empty opener matches at position 0), then `closer` from the byte
// behind the opener (an empty closer matches at once). When both are found, `body` is the bytes
// between them and, with `consume`, everything from the start of `buffer` up to and including
// the closer is removed (bytes before the opener go with it). `body` is assigned in every case,
// empty when nothing was found. Writes "Match found" / "Match pattern removed" / "Match not
// found" trace lines. Returns whether a packet was found.
bool ExtractPacket(ByteString& buffer, const ByteString& opener, const ByteString& closer,
                   ByteString& body, bool consume);

// The trace lines of a packet search, for searchers that find packets their own way.
void LogMatchFound(std::string_view body);
void LogMatchNotFound();

}  // namespace linkwright
