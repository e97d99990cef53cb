#pragma once

#include "link/serial/serial_port.h"
#include "link/transport.h"

class CConfiguration;

// The serial line of "CommConfig". A setting that does not parse fails the open instead of
// opening some other device; the far side hanging up loses the link.
class SerialTransport : public Transport {
 public:
  explicit SerialTransport(const CConfiguration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_SerialPort.IsOpen(); }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;
  std::vector<WaitHandle> WaitHandles() override { return m_SerialPort.WaitHandles(); }
  // The settings of "CommConfig", parsed and formatted again apart from the open port; the
  // text as it stands when it does not parse.
  std::string Description() const override;
  LinkState State() const override;

 protected:
  // An empty arrival; lost, with the reason, when the line hung up.
  Arrival NothingWaiting();

  const CConfiguration& m_Config;
  SerialPort m_SerialPort;
};
