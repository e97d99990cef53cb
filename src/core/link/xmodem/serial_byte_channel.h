#pragma once

#include <cstdint>

#include "link/xmodem/byte_channel.h"

namespace linkwright {

class SerialPort;

// The bytes of an Xmodem transfer over a serial port. A write that fails is tried again for a
// second, so a line that is briefly full does not end a transfer; a read waits in slices of at
// most 200 ms with the idle hook between them.
class SerialByteChannel : public ByteChannel {
 public:
  // The port must outlive the channel; it may open and close in between.
  explicit SerialByteChannel(SerialPort& port) : m_Port(port) {}

  // Fails at once when the port is closed.
  bool WriteByte(std::uint8_t byte) override;
  // Never reports a reception error: the port clears line errors and reads them as no byte.
  Read ReadByte(std::int32_t timeoutMs, std::uint8_t& byte) override;

 protected:
  // Called after each slice of a read that brought nothing.
  virtual void OnIdle() {}

 private:
  SerialPort& m_Port;
};

}  // namespace linkwright
