#pragma once

#include <cstdint>

namespace linkwright {

// A two-way line of single bytes with time-limited reads: what the Xmodem engine needs from
// whatever carries its bytes (a serial port, or a scripted line in a test).
class ByteChannel {
 public:
  // What one read brought.
  enum class Read {
    kByte,     // a byte came
    kNothing,  // none came within the time limit
    kFailed,   // the line reported a reception error
  };

  virtual ~ByteChannel() = default;

  // Sends one byte; false when it did not go out.
  virtual bool WriteByte(std::uint8_t byte) = 0;
  // Waits at most `timeoutMs` (0 only looks) for the next byte and stores it in `byte`.
  virtual Read ReadByte(std::int32_t timeoutMs, std::uint8_t& byte) = 0;
};

}  // namespace linkwright
