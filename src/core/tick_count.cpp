#include "tick_count.h"

#include <chrono>

uint32_t TickCount() {
  auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}
