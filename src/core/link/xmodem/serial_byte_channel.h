#pragma once

#include <cstdint>

#include "link/xmodem/xmodem_engine.h"

class SerialPort;

// Binds an Xmodem engine to an open serial port: the engine's byte callbacks read and write
// that port. The link controller binds it after opening the port and releases it on close.
class XmodemChannel {
 public:
  XmodemChannel() = default;
  virtual ~XmodemChannel();
  XmodemChannel(const XmodemChannel&) = delete;
  XmodemChannel& operator=(const XmodemChannel&) = delete;

  // False when already bound, when port is null or not open, or when no engine can be made.
  // status and cancel may be null; they receive userData. The port must outlive the binding.
  bool Bind(SerialPort* port, XmodemStatus status, void* userData, XmodemCancelCheck cancel,
            std::int32_t reserved, bool wakeUp);

  // Destroys the engine and returns to unbound; false when unbound or the engine is busy.
  bool Release();

  bool IsBound() const { return m_Engine != nullptr; }

  // True when bound and the transfer ended with kXmodemSuccess.
  bool Transmit(std::int32_t blockSize, const void* data, std::int32_t length);
  bool Receive(void* buffer, std::int32_t size);

  // Result code of the last transfer (kXmodemNullHandle when unbound).
  std::int32_t LastResult() const;

 protected:
  // Called between the 200 ms slices of a byte wait.
  virtual void OnIdle() {}

 private:
  static std::int32_t PutByte(void* self, std::uint8_t byte);
  static std::int32_t GetByte(void* self, std::int32_t timeoutMs, std::int32_t* error);
  static void ForwardStatus(void* self, std::int32_t blocks, std::int32_t bytes,
                            const char* message);
  static std::int32_t ForwardCancel(void* self);

  SerialPort* m_Port = nullptr;
  XmodemEngine* m_Engine = nullptr;
  void* m_UserData = nullptr;
  std::int32_t m_Reserved = 0;
  XmodemStatus m_Status = nullptr;
  XmodemCancelCheck m_Cancel = nullptr;
};
