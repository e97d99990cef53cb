#include "link/xmodem/serial_byte_channel.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "link/serial/serial_port.h"

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

XmodemChannel::~XmodemChannel() {
  Release();
}

bool XmodemChannel::Bind(SerialPort* port, XmodemStatus status, void* userData,
                         XmodemCancelCheck cancel, std::int32_t reserved, bool wakeUp) {
  if (IsBound() || port == nullptr || !port->IsOpen()) {
    return false;
  }
  m_Engine = XmodemCreate(&XmodemChannel::PutByte, &XmodemChannel::GetByte,
                          status != nullptr ? &XmodemChannel::ForwardStatus : nullptr,
                          cancel != nullptr ? &XmodemChannel::ForwardCancel : nullptr, this,
                          wakeUp ? 1 : 0);
  if (m_Engine == nullptr) {
    return false;
  }
  m_Port = port;
  m_UserData = userData;
  m_Reserved = reserved;
  m_Status = status;
  m_Cancel = cancel;
  return true;
}

bool XmodemChannel::Release() {
  if (!IsBound() || XmodemDestroy(m_Engine) != kXmodemSuccess) {
    return false;
  }
  m_Engine = nullptr;
  m_Port = nullptr;
  m_UserData = nullptr;
  m_Reserved = 0;
  m_Status = nullptr;
  m_Cancel = nullptr;
  return true;
}

bool XmodemChannel::Transmit(std::int32_t blockSize, const void* data, std::int32_t length) {
  return IsBound() && XmodemTransmit(m_Engine, blockSize, data, length) == kXmodemSuccess;
}

bool XmodemChannel::Receive(void* buffer, std::int32_t size) {
  return IsBound() && XmodemReceive(m_Engine, buffer, size) == kXmodemSuccess;
}

std::int32_t XmodemChannel::LastResult() const {
  return IsBound() ? m_Engine->m_LastResult : kXmodemNullHandle;
}

// A failed write is tried again every 100 ms until one second after the first failure.
std::int32_t XmodemChannel::PutByte(void* self, std::uint8_t byte) {
  SerialPort& port = *static_cast<XmodemChannel*>(self)->m_Port;
  std::optional<Clock::time_point> deadline;
  for (;;) {
    if (port.WriteSome(&byte, 1) == 1) {
      return 0;
    }
    if (!deadline) {
      deadline = Clock::now() + kPutRetryGrace;
    } else if (Clock::now() > *deadline) {
      return 1;
    }
    std::this_thread::sleep_for(kPutRetryPause);
  }
}

// Waits in slices of at most 200 ms and calls the idle hook after each empty slice.
std::int32_t XmodemChannel::GetByte(void* self, std::int32_t timeoutMs, std::int32_t* error) {
  auto& channel = *static_cast<XmodemChannel*>(self);
  SerialPort& port = *channel.m_Port;
  *error = 0;
  std::int32_t byte = port.ReadByte();
  while (byte < 0 && timeoutMs > 0 && port.IsOpen()) {
    const std::int32_t slice = std::min(timeoutMs, kWaitSliceMs);
    const auto sliceEnd = Clock::now() + std::chrono::milliseconds(slice);
    for (std::int32_t left = slice; byte < 0 && left > 0; left = MillisecondsUntil(sliceEnd)) {
      if (port.WaitReadable(left) && (byte = port.ReadByte()) < 0) {
        // Readable yet nothing to read: the line hung up. Pause instead of spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(slice / 10, 1)));
      }
    }
    if (byte < 0) {
      channel.OnIdle();
      timeoutMs -= slice;
    }
  }
  return byte;
}

void XmodemChannel::ForwardStatus(void* self, std::int32_t blocks, std::int32_t bytes,
                                  const char* message) {
  auto& channel = *static_cast<XmodemChannel*>(self);
  channel.m_Status(channel.m_UserData, blocks, bytes, message);
}

std::int32_t XmodemChannel::ForwardCancel(void* self) {
  auto& channel = *static_cast<XmodemChannel*>(self);
  return channel.m_Cancel(channel.m_UserData);
}
