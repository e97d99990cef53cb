#include "link/xmodem/serial_byte_channel.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "link/serial/serial_port.h"

namespace linkwright {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPutRetryPause = std::chrono::milliseconds(100);
constexpr auto kPutRetryGrace = std::chrono::milliseconds(1000);
constexpr std::int32_t kWaitSliceMs = 200;

std::int32_t MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<std::int32_t>(std::max<std::int64_t>(left.count(), 0));
}

}  // namespace

// A failed write is tried again every 100 ms until one second after the first failure.
bool SerialByteChannel::WriteByte(std::uint8_t byte) {
  std::optional<Clock::time_point> deadline;
  while (m_Port.IsOpen()) {
    std::size_t written = 0;
    if (m_Port.WriteSome(&byte, 1, written) && written == 1) {
      return true;
    }
    if (!deadline) {
      deadline = Clock::now() + kPutRetryGrace;
    } else if (Clock::now() > *deadline) {
      return false;
    }
    std::this_thread::sleep_for(kPutRetryPause);
  }
  return false;
}

ByteChannel::Read SerialByteChannel::ReadByte(std::int32_t timeoutMs, std::uint8_t& byte) {
  std::optional<std::uint8_t> read = m_Port.ReadByte();
  while (!read && timeoutMs > 0 && m_Port.IsOpen()) {
    const std::int32_t slice = std::min(timeoutMs, kWaitSliceMs);
    const auto sliceEnd = Clock::now() + std::chrono::milliseconds(slice);
    for (std::int32_t left = slice; !read && left > 0; left = MillisecondsUntil(sliceEnd)) {
      if (m_Port.WaitReadable(left) && !(read = m_Port.ReadByte())) {
        // Readable yet nothing to read: the line hung up. Pause instead of spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(slice / 10, 1)));
      }
    }
    if (!read) {
      OnIdle();
      timeoutMs -= slice;
    }
  }
  if (!read) {
    return Read::kNothing;
  }
  byte = *read;
  return Read::kByte;
}

}  // namespace linkwright
