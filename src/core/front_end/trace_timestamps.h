#pragma once

#include <chrono>
#include <string>

#include "front_end/front_end.h"

namespace linkwright {

// The local time of day as a trace line's prefix: "HH:MM:SS.mmm ".
std::string TraceTimePrefix(std::chrono::system_clock::time_point time);

// Puts the time a line began in front of each trace line. A line's time is the time of the
// batch that brought its first text, so a packet that arrives in several chunks keeps the time
// of its first chunk. Both front-ends stamp their pieces through it; the core's own trace text
// stays without times.
class TraceTimestamper {
 public:
  // The pieces with the prefix for `now` added to each piece that begins a line.
  TraceBatch Stamp(TraceBatch pieces, std::chrono::system_clock::time_point now);
  // The next piece begins a line (after the trace was cleared).
  void Restart() { m_AtLineStart = true; }

 private:
  bool m_AtLineStart = true;
};

}  // namespace linkwright
