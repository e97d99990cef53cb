#pragma once

#include <cstdint>

// Milliseconds from a monotonic clock, cut to 32 bits like a system tick count. The value
// wraps after about 49.7 days, so elapsed time is always the unsigned 32-bit difference of two
// readings.
uint32_t TickCount();
