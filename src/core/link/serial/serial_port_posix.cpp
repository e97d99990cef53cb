#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/serial_port.hpp>
#include <cerrno>
#include <chrono>
#include <thread>

#include "diag/diag_log.h"
#include "link/serial/line_speed.h"
#include "link/serial/open_failure.h"
#include "link/serial/serial_port.h"

namespace linkwright {

namespace {

using Clock = std::chrono::steady_clock;
using Asio = boost::asio::serial_port_base;

constexpr int kWriteTimeoutMs = 5000;

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for one of the events on the descriptor; the events that came, or 0 on time-out.
short PollFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  const int ready = ::poll(&entry, 1, timeoutMs);
  return ready > 0 ? entry.revents : 0;
}

// Pseudo-terminals and some adapters have no modem lines; refusing the call is not an error.
void SetModemLines(int fd, int lines, bool on) {
  ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines);
}

// A device without modem lines is a pseudo-terminal or alike: it has no framing either, so the
// kernel keeps its own character size and parity and refuses ours, which is harmless there.
bool HasModemLines(int fd) {
  int lines = 0;
  return ::ioctl(fd, TIOCMGET, &lines) == 0;
}

#ifdef CMSPAR
// Mark and space parity are "stick" parity: the parity bit is always 1 (mark) or 0 (space).
bool SetStickParity(int fd, bool mark) {
  termios state{};
  if (::tcgetattr(fd, &state) != 0) {
    return false;
  }
  state.c_cflag |= PARENB | CMSPAR;
  state.c_cflag = mark ? (state.c_cflag | PARODD) : (state.c_cflag & ~tcflag_t{PARODD});
  state.c_iflag &= ~tcflag_t{IGNPAR | PARMRK};
  state.c_iflag |= INPCK;
  return ::tcsetattr(fd, TCSANOW, &state) == 0;
}
#else
bool SetStickParity(int, bool) {
  errno = ENOTSUP;
  return false;
}
#endif

// POSIX has no 1.5 stop bits setting; UARTs send 1.5 stop bits for 5-bit characters when two
// are asked for, which is the only combination where 1.5 is defined.
bool SetOneAndHalfStopBits(int fd) {
  termios state{};
  if (::tcgetattr(fd, &state) != 0) {
    return false;
  }
  state.c_cflag |= CSTOPB;
  return ::tcsetattr(fd, TCSANOW, &state) == 0;
}

}  // namespace

class SerialDevice {
 public:
  SerialDevice() : m_Port(m_Io) {}

  int Fd() { return m_Port.native_handle(); }

  boost::asio::io_context m_Io;
  boost::asio::serial_port m_Port;
};

namespace {

std::string ErrnoText() {
  return SystemErrorText(errno);
}

// Applies every line setting; on failure returns the reason.
std::string ApplyLineSettings(SerialDevice& device, const SerialSettings& settings) {
  boost::system::error_code error;
  const int fd = device.Fd();
  if (settings.m_DataBits < 5) {
    return std::to_string(settings.m_DataBits) + " data bits not supported";
  }
  device.m_Port.set_option(Asio::character_size(settings.m_DataBits), error);
  if (error) {
    return std::to_string(settings.m_DataBits) + " data bits not supported: " + error.message();
  }
  switch (settings.m_Parity) {
    case kParityNone:
      device.m_Port.set_option(Asio::parity(Asio::parity::none), error);
      break;
    case kParityOdd:
      device.m_Port.set_option(Asio::parity(Asio::parity::odd), error);
      break;
    case kParityEven:
      device.m_Port.set_option(Asio::parity(Asio::parity::even), error);
      break;
    default:
      if (!SetStickParity(fd, settings.m_Parity == kParityMark)) {
        return "mark or space parity not supported: " + ErrnoText();
      }
  }
  if (error) {
    return "parity not supported: " + error.message();
  }
  if (settings.m_StopBits == kStopBitsOneAndHalf) {
    if (!SetOneAndHalfStopBits(fd)) {
      return "1.5 stop bits not supported: " + ErrnoText();
    }
  } else {
    device.m_Port.set_option(
        Asio::stop_bits(settings.m_StopBits == kStopBitsTwo ? Asio::stop_bits::two
                                                            : Asio::stop_bits::one),
        error);
  }
  if (!error) {
    device.m_Port.set_option(Asio::flow_control(Asio::flow_control::none), error);
  }
  if (error) {
    return "line settings refused: " + error.message();
  }
  // Last, since the classic calls above would put a speed off the classic list back on it.
  const std::string refused = SetLineSpeed(fd, settings.m_Baud);
  return refused.empty() ? refused
                         : "baud rate " + std::to_string(settings.m_Baud) + " refused: " + refused;
}

int ModemLineBit(ControlLine line) {
  return line == ControlLine::kDtr ? TIOCM_DTR : TIOCM_RTS;
}

bool LineIsOn(int fd, ControlLine line) {
  int lines = 0;
  return ::ioctl(fd, TIOCMGET, &lines) == 0 && (lines & ModemLineBit(line)) != 0;
}

bool SwitchLine(int fd, ControlLine line, bool on) {
  int bit = ModemLineBit(line);
  return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

// Holds the line at the opposite level for the time, then puts it back.
bool PulseLine(int fd, ControlLine line, std::int32_t milliseconds) {
  const bool wasOn = LineIsOn(fd, line);
  if (!SwitchLine(fd, line, !wasOn)) {
    return false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return SwitchLine(fd, line, wasOn);
}

bool SendBreak(int fd, std::int32_t milliseconds) {
  if (::ioctl(fd, TIOCSBRK) != 0) {
    return false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return ::ioctl(fd, TIOCCBRK) == 0;
}

bool RunLineCommand(int fd, const LineCommand& command) {
  switch (command.action) {
    case LineCommand::Action::kSet:
      return SwitchLine(fd, command.line, true);
    case LineCommand::Action::kClear:
      return SwitchLine(fd, command.line, false);
    case LineCommand::Action::kPulse:
      return PulseLine(fd, command.line, command.milliseconds);
    case LineCommand::Action::kBreak:
      break;
  }
  return SendBreak(fd, command.milliseconds);
}

}  // namespace

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() {
  ClosePort();
}

bool SerialPort::IsOpen() const {
  return m_Device != nullptr;
}

std::vector<WaitHandle> SerialPort::WaitHandles() const {
  if (!m_Device) {
    return {};
  }
  return {m_Device->Fd()};
}

std::string SerialPort::DeviceName() const {
  if (!m_Settings.m_Device.empty()) {
    return m_Settings.m_Device;
  }
  return "/dev/ttyS" + std::to_string(static_cast<int>(m_Settings.m_Port) - 1);
}

bool SerialPort::OpenPort() {
  return OpenPortAt(DeviceName());
}

bool SerialPort::OpenPortAt(const std::string& path) {
  ClosePort();
  auto device = std::make_unique<SerialDevice>();
  boost::system::error_code error;
  device->m_Port.open(path, error);
  if (error) {
    Fail(ErrorKind::kSystem, OpenFailureText(path, error.value()));
  } else if (const auto refused = ApplyLineSettings(*device, m_Settings);
             !refused.empty() && HasModemLines(device->Fd())) {
    Fail(ErrorKind::kSetting, "cannot set up " + path + ": " + refused);
  } else {
    if (!refused.empty()) {
      DiagLog('W', "SerialPort::OpenPort() %s keeps its own line settings: %s", path.c_str(),
              refused.c_str());
    }
    // Exclusive use, as a serial port has only one user at a time.
    ::ioctl(device->Fd(), TIOCEXCL);
    SetModemLines(device->Fd(), TIOCM_DTR | TIOCM_RTS, true);
    m_Device = std::move(device);
    ClearError();
    return true;
  }
  DiagLog('E', "SerialPort::OpenPort() failed: %s", LastError().Message().c_str());
  return false;
}

bool SerialPort::ClosePort() {
  if (!m_Device) {
    return false;
  }
  const int fd = m_Device->Fd();
  SetModemLines(fd, TIOCM_DTR, false);
  ::tcflush(fd, TCIOFLUSH);
  boost::system::error_code error;
  m_Device->m_Port.close(error);
  // The descriptor is released even when close reports an error, so the port counts as closed.
  m_Device.reset();
  if (error) {
    return Fail(ErrorKind::kSystem, "closing " + DeviceName() + ": " + error.message());
  }
  return true;
}

std::optional<std::uint8_t> SerialPort::ReadByte() {
  std::uint8_t byte = 0;
  if (!m_Device || ::read(m_Device->Fd(), &byte, 1) != 1) {
    return std::nullopt;
  }
  return byte;
}

bool SerialPort::WriteSome(const void* bytes, std::size_t length, std::size_t& written) {
  written = 0;
  if (!m_Device) {
    return Fail(ErrorKind::kState, "port is not open");
  }
  const int fd = m_Device->Fd();
  const auto* next = static_cast<const char*>(bytes);
  const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  while (written < length) {
    const ssize_t count = ::write(fd, next + written, length - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      // What went out before the failure counts; the next call reports the failure alone.
      Fail(ErrorKind::kSystem, "write to " + DeviceName() + " failed: " + ErrnoText());
      return written > 0;
    }
    const int left = MillisecondsUntil(deadline);
    if (left == 0 || (PollFor(fd, POLLOUT, left) & POLLOUT) == 0) {
      break;
    }
  }
  return true;
}

bool SerialPort::HungUp() const {
  return m_Device && (PollFor(m_Device->Fd(), POLLIN, 0) & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool SerialPort::WaitReadable(std::int32_t timeoutMs) {
  if (!m_Device) {
    return false;
  }
  const int timeout = timeoutMs > 0 ? timeoutMs : 0;
  const short events = PollFor(m_Device->Fd(), POLLIN, timeout);
  if ((events & POLLIN) != 0) {
    return true;
  }
  // A hung-up line reports at once; waiting out the time keeps callers' loops from spinning.
  if (events != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeout));
  }
  return false;
}

bool SerialPort::ApplyLineCommand(const LineCommand& command) {
  if (!m_Device) {
    return Fail(ErrorKind::kState, "port is not open");
  }
  const std::string what = DescribeLineCommand(command);
  if (command.action != LineCommand::Action::kBreak && !HasModemLines(m_Device->Fd())) {
    return Fail(ErrorKind::kSystem,
                what + ": " + DeviceName() + " has no modem lines (a pseudo-terminal has none)");
  }
  if (!RunLineCommand(m_Device->Fd(), command)) {
    return Fail(ErrorKind::kSystem, what + " on " + DeviceName() + " failed: " + ErrnoText());
  }
  return true;
}

std::optional<ModemStatus> SerialPort::ReadModemStatus() const {
  int lines = 0;
  if (!m_Device || ::ioctl(m_Device->Fd(), TIOCMGET, &lines) != 0) {
    return std::nullopt;
  }
  return ModemStatus{(lines & TIOCM_CTS) != 0, (lines & TIOCM_DSR) != 0, (lines & TIOCM_CAR) != 0,
                     (lines & TIOCM_RNG) != 0};
}

std::optional<std::uint32_t> SerialPort::LineSpeed() const {
  return m_Device ? linkwright::LineSpeed(m_Device->Fd()) : std::nullopt;
}

}  // namespace linkwright
