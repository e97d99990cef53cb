#pragma once

#include <string>

#include "link/serial/serial_port.h"
#include "link/transport.h"

namespace linkwright {

class Configuration;

// The serial line of "CommConfig". A setting that does not parse fails the open instead of
// opening some other device; the far side hanging up loses the link, unless
// "SerialReconnect" is on: then the link stays open, waiting for the device, and reopens with
// the same settings when the device (the same by-id name, or the same path) comes back.
class SerialTransport : public Transport {
 public:
  explicit SerialTransport(const Configuration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_SerialPort.IsOpen() || Waiting(); }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t limit) override;
  std::vector<WaitHandle> WaitHandles() override { return m_SerialPort.WaitHandles(); }
  // The settings of "CommConfig", parsed and formatted again apart from the open port; the
  // text as it stands when it does not parse. " (waiting for the device)" follows while the
  // device is away.
  std::string Description() const override;
  LinkState State() const override;
  bool ApplyLineCommand(const LineCommand& command) override;
  std::optional<ModemStatus> ReadModemStatus() const override {
    return m_SerialPort.ReadModemStatus();
  }

  // True while the device is away and the link waits for it.
  bool Waiting() const { return !m_AwayDevice.empty(); }

 protected:
  // An empty arrival; when the line hung up, lost with the reason, or with "SerialReconnect"
  // on, the start of the wait for the device. While waiting, the device is looked for and
  // reopened once it is back.
  Arrival NothingWaiting();

  const Configuration& m_Config;
  SerialPort m_SerialPort;

 private:
  // Fails a call that needs the device while it is away.
  bool FailAway();
  Arrival StartWaiting();
  Arrival LookForDevice();

  // The name the open device answers to across a replug: its by-id name, else its path.
  std::string m_StableName;
  // While waiting: the device as the trace names it.
  std::string m_AwayDevice;
};

}  // namespace linkwright
