#include "link/serial/serial_port.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "diag/diag_log.h"

namespace linkwright {

namespace {

// The numbered form keeps the length limit stored settings have always had.
constexpr std::size_t kMaxNumberedTextLength = 31;
constexpr std::size_t kModeFieldCount = 4;
constexpr std::uint8_t kMinDataBits = 4;
constexpr std::uint8_t kMaxDataBits = 8;
constexpr auto kWritePause = std::chrono::milliseconds(100);
constexpr auto kPartialWriteGrace = std::chrono::milliseconds(1000);

constexpr char kParityLetters[] = {'N', 'O', 'E', 'M', 'S'};
constexpr const char* kStopBitsTexts[] = {"1", "1.5", "2"};

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) {
      return false;
    }
  }
  return true;
}

// A decimal number filling the whole text.
template <typename Number>
bool ParseWholeNumber(std::string_view text, Number& value) {
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && next == end;
}

std::vector<std::string_view> SplitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto at = text.find(separator);
    fields.push_back(TrimBlanks(text.substr(0, at)));
    if (at == std::string_view::npos) {
      return fields;
    }
    text.remove_prefix(at + 1);
  }
}

bool ParseParity(std::string_view text, std::uint8_t& parity) {
  if (text.size() != 1) {
    return false;
  }
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  for (std::uint8_t code = 0; code < std::size(kParityLetters); ++code) {
    if (kParityLetters[code] == letter) {
      parity = code;
      return true;
    }
  }
  return false;
}

bool ParseStopBits(std::string_view text, std::uint8_t& stopBits) {
  for (std::uint8_t code = 0; code < std::size(kStopBitsTexts); ++code) {
    if (text == kStopBitsTexts[code]) {
      stopBits = code;
      return true;
    }
  }
  return false;
}

// "baud,parity,data bits,stop bits".
bool ParseMode(std::string_view mode, SerialSettings& settings) {
  const auto fields = SplitFields(mode, ',');
  return fields.size() == kModeFieldCount && ParseWholeNumber(fields[0], settings.m_Baud) &&
         settings.m_Baud > 0 && ParseParity(fields[1], settings.m_Parity) &&
         ParseWholeNumber(fields[2], settings.m_DataBits) && settings.m_DataBits >= kMinDataBits &&
         settings.m_DataBits <= kMaxDataBits && ParseStopBits(fields[3], settings.m_StopBits);
}

// "COMn" (n from 1 to 255, any letter case) or a device path.
bool ParseDevice(std::string_view device, SerialSettings& settings) {
  if (StartsWithNoCase(device, "COM")) {
    std::uint8_t port = 0;
    if (!ParseWholeNumber(device.substr(3), port) || port == 0) {
      return false;
    }
    settings.m_Port = port;
    settings.m_Device.clear();
    return true;
  }
  if (device.starts_with('/') || device.starts_with('\\')) {
    settings.m_Device = device;
    return true;
  }
  return false;
}

// Splits at the last colon, since device paths may hold colons themselves but the mode never.
std::optional<SerialSettings> ParseSettingsText(std::string_view text, SerialSettings settings) {
  const auto colon = text.rfind(':');
  if (colon == std::string_view::npos || !ParseDevice(text.substr(0, colon), settings) ||
      !ParseMode(text.substr(colon + 1), settings)) {
    return std::nullopt;
  }
  if (settings.m_Device.empty() && text.size() > kMaxNumberedTextLength) {
    return std::nullopt;
  }
  settings.m_XonXoff = 0;
  settings.m_Hardware = 0;
  return settings;
}

}  // namespace

bool SerialPort::ParseSettings(std::string_view text) {
  const auto parsed = ParseSettingsText(text, m_Settings);
  if (!parsed) {
    return false;
  }
  m_Settings = *parsed;
  if (IsOpen()) {
    ClosePort();
    OpenPort();
  }
  return true;
}

std::string SerialPort::FormatSettings() const {
  const auto& s = m_Settings;
  const char parity = s.m_Parity < std::size(kParityLetters) ? kParityLetters[s.m_Parity] : '?';
  const char* stopBits =
      s.m_StopBits < std::size(kStopBitsTexts) ? kStopBitsTexts[s.m_StopBits] : "?";
  const std::string device = s.m_Device.empty() ? "COM" + std::to_string(s.m_Port) : s.m_Device;
  return device + ":" + std::to_string(s.m_Baud) + "," + parity + "," +
         std::to_string(s.m_DataBits) + "," + stopBits;
}

bool SerialPort::WriteBytes(const void* bytes, std::size_t length) {
  if (!IsOpen()) {
    return Fail(ErrorKind::kState, "port is not open");
  }
  const auto* next = static_cast<const char*>(bytes);
  std::size_t remaining = length;
  std::optional<std::chrono::steady_clock::time_point> deadline;
  for (;;) {
    std::size_t written = 0;
    if (!WriteSome(next, remaining, written)) {
      break;
    }
    next += written;
    remaining -= written;
    if (remaining > 0 && !deadline) {
      deadline = std::chrono::steady_clock::now() + kPartialWriteGrace;
    }
    // Gives the line time to settle between messages; devices rely on the gap.
    std::this_thread::sleep_for(kWritePause);
    if (remaining == 0) {
      return true;
    }
    if (std::chrono::steady_clock::now() > *deadline) {
      Fail(ErrorKind::kTimeout, "write to " + DeviceName() + " timed out with " +
                                    std::to_string(remaining) + " bytes left");
      break;
    }
  }
  DiagLog('E', "SerialPort::WriteBytes() failed: %s", LastError().Message().c_str());
  return false;
}

}  // namespace linkwright
