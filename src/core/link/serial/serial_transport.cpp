#include "link/serial/serial_transport.h"

#include "config/configuration.h"

bool SerialTransport::Open() {
  const std::string setting = m_Config.GetString(setting::kCommConfig);
  if (!m_SerialPort.ParseSettings(setting)) {
    return Fail(ErrorKind::kSetting,
                "CommConfig \"" + setting + "\" is not a serial setting such as COM1:9600,N,8,1");
  }
  return m_SerialPort.OpenPort() || Fail(m_SerialPort.LastError());
}

bool SerialTransport::Close() {
  return m_SerialPort.ClosePort();
}

bool SerialTransport::Send(const ByteString& message) {
  return m_SerialPort.WriteBytes(message) || Fail(m_SerialPort.LastError());
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
  Arrival arrival;
  if (m_SerialPort.HungUp()) {
    arrival.lost = true;
    Fail(ErrorKind::kPeer, "the serial line hung up");
  }
  return arrival;
}

std::string SerialTransport::Description() const {
  const std::string setting = m_Config.GetString(setting::kCommConfig);
  SerialPort settings;
  // A setting that does not parse names no port; the defaults it leaves would name COM1.
  return settings.ParseSettings(setting) ? settings.FormatSettings() : setting;
}

LinkState SerialTransport::State() const {
  return IsOpen() ? LinkState::kSerialOpen : LinkState::kSerialClosed;
}
