#pragma once

#include <cstdint>

#include "link/serial/serial_transport.h"
#include "link/xmodem/serial_byte_channel.h"

// Xmodem over the serial line: every send is one transfer, and a byte on the idle line starts
// the reception of one message.
class XmodemTransport : public SerialTransport {
 public:
  explicit XmodemTransport(const CConfiguration& config) : SerialTransport(config) {}
  ~XmodemTransport() override;

  bool Open() override;
  bool Close() override;
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;

 private:
  static void ReportProgress(void* self, std::int32_t blocks, std::int32_t bytes,
                             const char* message);
  static std::int32_t CheckCancel(void* self);

  XmodemChannel m_Xmodem;
  int m_TotalBlocks = 0;
};
