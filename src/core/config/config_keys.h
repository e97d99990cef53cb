#pragma once

#include <cstddef>

namespace linkwright {

// A setting, named by its section and key together, with its row in the key table so a
// lookup by a named setting costs no search.
struct SettingKey {
  const char* section;
  const char* key;
  size_t row;
};

// The settings of the configuration file: the 22 every file lists, then the added ones.
namespace setting {
inline constexpr SettingKey kTestMode{"General", "TestMode", 0};
inline constexpr SettingKey kMode{"Connection", "Mode", 1};
inline constexpr SettingKey kActAsServer{"Connection", "ActAsServer", 2};
inline constexpr SettingKey kSocketHost{"Connection", "SocketHost", 3};
inline constexpr SettingKey kSocketPort{"Connection", "SocketPort", 4};
inline constexpr SettingKey kCommConfig{"Connection", "CommConfig", 5};
inline constexpr SettingKey kResponseTimeout{"Connection", "ResponseTimeout", 6};
inline constexpr SettingKey kRxPollingTime{"Connection", "RxPollingTime", 7};
inline constexpr SettingKey kHttpUrl{"Connection", "HttpUrl", 8};
inline constexpr SettingKey kPacketOpener{"Connection", "PacketOpener", 9};
inline constexpr SettingKey kPacketCloser{"Connection", "PacketCloser", 10};
inline constexpr SettingKey kPacketBreakTimeout{"Connection", "PacketBreakTimeout", 11};
inline constexpr SettingKey kBeepOnFailure{"UserInterface", "BeepOnFailure", 12};
inline constexpr SettingKey kBeepOnSuccess{"UserInterface", "BeepOnSuccess", 13};
inline constexpr SettingKey kHexTrace{"UserInterface", "HexTrace", 14};
inline constexpr SettingKey kHexTrace2{"UserInterface", "HexTrace2", 15};
inline constexpr SettingKey kAlwaysOnTop{"UserInterface", "AlwaysOnTop", 16};
inline constexpr SettingKey kTransparency{"UserInterface", "Transparency", 17};
inline constexpr SettingKey kClearTextOnSend{"UserInterface", "ClearTextOnSend", 18};
inline constexpr SettingKey kAutoSendEnabled{"AutoSend", "Enabled", 19};
inline constexpr SettingKey kAutoSendCycleTime{"AutoSend", "CycleTime", 20};
inline constexpr SettingKey kUseRegex{"AutoReply", "UseRegex", 21};
inline constexpr SettingKey kSerialReconnect{"Connection", "SerialReconnect", 22};
inline constexpr SettingKey kTlsEnabled{"Connection", "TlsEnabled", 23};
inline constexpr SettingKey kTlsCaFile{"Connection", "TlsCaFile", 24};
inline constexpr SettingKey kTlsCertFile{"Connection", "TlsCertFile", 25};
inline constexpr SettingKey kTlsKeyFile{"Connection", "TlsKeyFile", 26};
inline constexpr SettingKey kTlsVerifyPeer{"Connection", "TlsVerifyPeer", 27};
inline constexpr SettingKey kTlsServerName{"Connection", "TlsServerName", 28};
inline constexpr SettingKey kMulticastGroup{"Connection", "MulticastGroup", 29};
inline constexpr SettingKey kMulticastInterface{"Connection", "MulticastInterface", 30};
inline constexpr SettingKey kMulticastTtl{"Connection", "MulticastTtl", 31};
}  // namespace setting

}  // namespace linkwright
