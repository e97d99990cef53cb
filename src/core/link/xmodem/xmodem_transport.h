#pragma once

#include "link/serial/serial_transport.h"
#include "link/xmodem/serial_byte_channel.h"
#include "link/xmodem/xmodem_engine.h"

namespace linkwright {

// Xmodem over the serial line: every send is one transfer, and a byte on the idle line starts
// the reception of one message.
class XmodemTransport : public SerialTransport {
 public:
  explicit XmodemTransport(const Configuration& config);

  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;

 private:
  // Fails a send with the reason the transfer gave.
  bool FailTransfer(const Error& reason);
  void ReportProgress(int blocks) const;

  SerialByteChannel m_Channel;
  XmodemEngine m_Xmodem;
  int m_TotalBlocks = 0;
};

}  // namespace linkwright
