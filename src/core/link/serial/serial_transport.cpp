#include "link/serial/serial_transport.h"

#include <unistd.h>

#include "config/configuration.h"
#include "diag/diag_log.h"
#include "link/serial/serial_device_list.h"

namespace linkwright {

bool SerialTransport::Open() {
  const std::string setting = m_Config.GetString(setting::kCommConfig);
  m_AwayDevice.clear();
  if (!m_SerialPort.ParseSettings(setting)) {
    return Fail(ErrorKind::kSetting,
                "CommConfig \"" + setting + "\" is not a serial setting such as COM1:9600,N,8,1");
  }
  if (!m_SerialPort.OpenPort()) {
    return Fail(m_SerialPort.LastError());
  }
  m_StableName = StableNameOf(m_SerialPort.DeviceName());
  return true;
}

bool SerialTransport::Close() {
  if (Waiting()) {
    m_AwayDevice.clear();
    return true;
  }
  return m_SerialPort.ClosePort();
}

bool SerialTransport::Send(const ByteString& message) {
  if (Waiting()) {
    return FailAway();
  }
  return m_SerialPort.WriteBytes(message) || Fail(m_SerialPort.LastError());
}

bool SerialTransport::ApplyLineCommand(const LineCommand& command) {
  if (Waiting()) {
    return FailAway();
  }
  return m_SerialPort.ApplyLineCommand(command) || Fail(m_SerialPort.LastError());
}

bool SerialTransport::FailAway() {
  return Fail(ErrorKind::kState, "waiting for the device " + m_AwayDevice);
}

Arrival SerialTransport::TakeWaiting(size_t limit) {
  Arrival arrival;
  while (arrival.bytes.size() < limit) {
    const std::optional<std::uint8_t> byte = m_SerialPort.ReadByte();
    if (!byte) {
      break;
    }
    arrival.bytes.push_back(static_cast<char>(*byte));
  }
  return arrival.bytes.empty() ? NothingWaiting() : arrival;
}

Arrival SerialTransport::NothingWaiting() {
  if (Waiting()) {
    return LookForDevice();
  }
  Arrival arrival;
  if (!m_SerialPort.HungUp()) {
    return arrival;
  }
  if (m_Config.GetBool(setting::kSerialReconnect)) {
    return StartWaiting();
  }
  arrival.lost = true;
  Fail(ErrorKind::kPeer, "the serial line hung up");
  return arrival;
}

Arrival SerialTransport::StartWaiting() {
  m_SerialPort.ClosePort();
  m_AwayDevice = m_StableName.empty() ? m_SerialPort.DeviceName() : m_StableName;
  DiagLog('W', "SerialTransport::TakeWaiting() %s went away", m_AwayDevice.c_str());
  Arrival arrival;
  arrival.report = "waiting for the device " + m_AwayDevice;
  return arrival;
}

// One access() per poll while the device is away: the wait costs next to nothing.
Arrival SerialTransport::LookForDevice() {
  Arrival arrival;
  if (::access(m_AwayDevice.c_str(), F_OK) != 0 || !m_SerialPort.OpenPortAt(m_AwayDevice)) {
    return arrival;
  }
  DiagLog('I', "SerialTransport::TakeWaiting() %s is back", m_AwayDevice.c_str());
  arrival.report = "the device is back: " + m_AwayDevice;
  // The reopened device is a new link: a packet begun before it went away does not go on.
  arrival.newPeerAt = 0;
  m_AwayDevice.clear();
  return arrival;
}

std::string SerialTransport::Description() const {
  const std::string setting = m_Config.GetString(setting::kCommConfig);
  SerialPort settings;
  // A setting that does not parse names no port; the defaults it leaves would name COM1.
  const std::string description =
      settings.ParseSettings(setting) ? settings.FormatSettings() : setting;
  return Waiting() ? description + " (waiting for the device)" : description;
}

LinkState SerialTransport::State() const {
  return IsOpen() ? LinkState::kSerialOpen : LinkState::kSerialClosed;
}

}  // namespace linkwright
