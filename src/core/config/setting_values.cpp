#include "config/setting_values.h"

#include <charconv>
#include <cstdint>

#include "config/configuration.h"

namespace linkwright {

namespace {

struct IntegerRange {
  int64_t lowest;
  int64_t highest;
};

constexpr IntegerRange kSwitch{0, 1};
// Millisecond settings: an hour is far beyond any useful time-out or period.
constexpr IntegerRange kMilliseconds{0, 3600000};

// The range of each key-table row read as a number or a switch; nothing for text settings and
// for TestMode, which nothing reads.
std::optional<IntegerRange> RangeOf(size_t index) {
  static const std::optional<IntegerRange> ranges[Configuration::kKeyCount] = {
      std::nullopt,            // General.TestMode
      IntegerRange{0, 4},      // Connection.Mode: serial, TCP, UDP, HTTP, Xmodem
      kSwitch,                 // Connection.ActAsServer
      std::nullopt,            // Connection.SocketHost
      IntegerRange{1, 65535},  // Connection.SocketPort
      std::nullopt,            // Connection.CommConfig
      kMilliseconds,           // Connection.ResponseTimeout
      kMilliseconds,           // Connection.RxPollingTime
      std::nullopt,            // Connection.HttpUrl
      std::nullopt,            // Connection.PacketOpener
      std::nullopt,            // Connection.PacketCloser
      kMilliseconds,           // Connection.PacketBreakTimeout
      kSwitch,                 // UserInterface.BeepOnFailure
      kSwitch,                 // UserInterface.BeepOnSuccess
      kSwitch,                 // UserInterface.HexTrace
      kSwitch,                 // UserInterface.HexTrace2
      kSwitch,                 // UserInterface.AlwaysOnTop
      IntegerRange{0, 255},    // UserInterface.Transparency: 255 minus the window's alpha
      kSwitch,                 // UserInterface.ClearTextOnSend
      kSwitch,                 // AutoSend.Enabled
      kMilliseconds,           // AutoSend.CycleTime
      kSwitch,                 // AutoReply.UseRegex
      kSwitch,                 // Connection.SerialReconnect
      kSwitch,                 // Connection.TlsEnabled
      std::nullopt,            // Connection.TlsCaFile
      std::nullopt,            // Connection.TlsCertFile
      std::nullopt,            // Connection.TlsKeyFile
      kSwitch,                 // Connection.TlsVerifyPeer
      std::nullopt,            // Connection.TlsServerName
      std::nullopt,            // Connection.MulticastGroup
      std::nullopt,            // Connection.MulticastInterface
      IntegerRange{0, 255},    // Connection.MulticastTtl: hops a sent multicast datagram may take
  };
  return index < Configuration::kKeyCount ? ranges[index] : std::nullopt;
}

bool IsInRange(std::string_view value, const IntegerRange& range) {
  if (value.empty() || value.front() < '0' || value.front() > '9') {
    return false;
  }
  int64_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  return error == std::errc() && end == value.data() + value.size() && number >= range.lowest &&
         number <= range.highest;
}

}  // namespace

Error SettingValueProblem(size_t index, std::string_view value) {
  const ConfigKey& key = Configuration::KeyTable().at(index);
  const std::string name = std::string(key.section) + "." + key.key;
  if (value.size() > Configuration::kMaxFormattedLength) {
    return Error(ErrorKind::kSetting, name + " takes at most " +
                                          std::to_string(Configuration::kMaxFormattedLength) +
                                          " characters, not " + std::to_string(value.size()));
  }
  const std::optional<IntegerRange> range = RangeOf(index);
  if (range && !IsInRange(value, *range)) {
    return Error(ErrorKind::kSetting,
                 name + " takes a whole number from " + std::to_string(range->lowest) + " to " +
                     std::to_string(range->highest) + ", not '" + std::string(value) + "'");
  }
  return Error();
}

}  // namespace linkwright
