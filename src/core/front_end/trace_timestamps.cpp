#include "front_end/trace_timestamps.h"

#include <cstdio>
#include <ctime>

namespace linkwright {

std::string TraceTimePrefix(std::chrono::system_clock::time_point time) {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  const auto millis =
      duration_cast<milliseconds>(time - std::chrono::system_clock::from_time_t(seconds)).count();
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(millis));
  return text;
}

TraceBatch TraceTimestamper::Stamp(TraceBatch pieces, std::chrono::system_clock::time_point now) {
  std::string prefix;
  for (TracePiece& piece : pieces) {
    if (m_AtLineStart && (!piece.text.empty() || piece.endsLine)) {
      if (prefix.empty()) {
        prefix = TraceTimePrefix(now);
      }
      piece.text.insert(0, prefix);
      m_AtLineStart = false;
    }
    if (piece.endsLine) {
      m_AtLineStart = true;
    }
  }
  return pieces;
}

}  // namespace linkwright
