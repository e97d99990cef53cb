#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_string.h"
#include "error.h"
#include "link/serial/serial_lines.h"
#include "link/wait_handle.h"

namespace linkwright {

// Parity codes, numbered as the settings have always stored them.
enum SerialParity : std::uint8_t {
  kParityNone = 0,
  kParityOdd = 1,
  kParityEven = 2,
  kParityMark = 3,
  kParitySpace = 4,
};

// Stop-bit codes.
enum SerialStopBits : std::uint8_t {
  kStopBitsOne = 0,
  kStopBitsOneAndHalf = 1,
  kStopBitsTwo = 2,
};

// The line settings a serial port opens with. `m_Device` is empty for the numbered form COMn
// (on POSIX systems /dev/ttyS(n-1)); otherwise it holds the device path the user gave.
struct SerialSettings {
  std::uint8_t m_Port = 1;
  std::string m_Device;
  std::uint32_t m_Baud = 9600;
  std::uint8_t m_Parity = kParityNone;
  std::uint8_t m_DataBits = 8;
  std::uint8_t m_StopBits = kStopBitsOne;
  std::int32_t m_XonXoff = 0;
  std::int32_t m_Hardware = 0;
};

class SerialDevice;

// One serial port: its settings, their text form "COM%d:%d,%c,%d,%s" (or "<path>:%d,%c,%d,%s"),
// and the open device. The port opens without handshake, with DTR and RTS on; the lines can be
// changed while it is open. The baud may be any number the driver takes. Why the last call
// failed is its LastError, e.g. "cannot open /dev/ttyUSB9: No such file or directory. Present
// now: …", with what to do where the system tells enough.
class SerialPort : public LastErrorHolder {
 public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Takes the settings from a text such as "COM3:19200,E,7,1" or "/dev/ttyUSB0:115200,N,8,1"
  // (parity n, o, e, m or s in either case; stop bits 1, 1.5 or 2). Clears both flow-control
  // flags. An open port is reopened with the new settings. A malformed text returns false and
  // leaves the settings as they were.
  bool ParseSettings(std::string_view text);

  // The settings as text, in the form ParseSettings reads.
  std::string FormatSettings() const;

  // Opens the device with the current settings, closing it first if open. On failure returns
  // false and LastError() tells why.
  bool OpenPort();
  // The same with another path naming the device (its by-id name, say); the settings stay.
  bool OpenPortAt(const std::string& path);

  // Lowers DTR, discards both queues and closes. False when the port was not open.
  bool ClosePort();

  bool IsOpen() const;

  // The open device's handle; empty when the port is closed.
  std::vector<WaitHandle> WaitHandles() const;

  // Writes all bytes: true when every byte went out, false when the port is closed, a write
  // fails, or the rest did not go out within one second after the first partial write. Each
  // write call is followed by a 100 ms pause, so a message costs at least 100 ms.
  bool WriteBytes(const void* bytes, std::size_t length);
  bool WriteBytes(const ByteString& bytes) { return WriteBytes(bytes.data(), bytes.size()); }

  // The next received byte, or nothing when none is waiting or the port is closed. Never
  // waits; line errors are cleared and read as no byte.
  std::optional<std::uint8_t> ReadByte();

  // One write call for the byte-by-byte users (Xmodem): `written` gets the number of bytes
  // written, which may be fewer than asked. False when the port is closed or the write failed
  // before any byte went out. Waits at most 5000 ms for room.
  bool WriteSome(const void* bytes, std::size_t length, std::size_t& written);

  // True when the line hung up: the far side of a pseudo-terminal closed, or the device went
  // away. Never waits; false when the port is closed.
  bool HungUp() const;

  // Waits up to timeoutMs for a byte to become readable; true when one is waiting. False at
  // once when the port is closed.
  bool WaitReadable(std::int32_t timeoutMs);

  // Sets, clears or pulses DTR or RTS, or sends a break; a pulse or break waits out its length.
  // False when the port is closed or the device has no such line (a pseudo-terminal); the port
  // stays open either way.
  bool ApplyLineCommand(const LineCommand& command);
  // The input lines; nothing when the port is closed or the device has no modem lines.
  std::optional<ModemStatus> ReadModemStatus() const;
  // The speed the driver runs the open device at; nothing when closed or it cannot tell.
  std::optional<std::uint32_t> LineSpeed() const;

  const SerialSettings& Settings() const { return m_Settings; }
  // Replaces the settings without touching an open port (the settings dialog's use).
  void SetSettings(const SerialSettings& settings) { m_Settings = settings; }

  // The device the settings name: the path, or the platform's name for COMn.
  std::string DeviceName() const;

 private:
  SerialSettings m_Settings;
  std::unique_ptr<SerialDevice> m_Device;
};

}  // namespace linkwright
