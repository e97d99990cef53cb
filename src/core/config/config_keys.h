#pragma once

// A setting, named by its section and key together.
struct SettingKey {
  const char* section;
  const char* key;
};

// The 22 settings of the configuration file.
namespace setting {
inline constexpr SettingKey kTestMode{"General", "TestMode"};
inline constexpr SettingKey kMode{"Connection", "Mode"};
inline constexpr SettingKey kActAsServer{"Connection", "ActAsServer"};
inline constexpr SettingKey kSocketHost{"Connection", "SocketHost"};
inline constexpr SettingKey kSocketPort{"Connection", "SocketPort"};
inline constexpr SettingKey kCommConfig{"Connection", "CommConfig"};
inline constexpr SettingKey kResponseTimeout{"Connection", "ResponseTimeout"};
inline constexpr SettingKey kRxPollingTime{"Connection", "RxPollingTime"};
inline constexpr SettingKey kHttpUrl{"Connection", "HttpUrl"};
inline constexpr SettingKey kPacketOpener{"Connection", "PacketOpener"};
inline constexpr SettingKey kPacketCloser{"Connection", "PacketCloser"};
inline constexpr SettingKey kPacketBreakTimeout{"Connection", "PacketBreakTimeout"};
inline constexpr SettingKey kBeepOnFailure{"UserInterface", "BeepOnFailure"};
inline constexpr SettingKey kBeepOnSuccess{"UserInterface", "BeepOnSuccess"};
inline constexpr SettingKey kHexTrace{"UserInterface", "HexTrace"};
inline constexpr SettingKey kHexTrace2{"UserInterface", "HexTrace2"};
inline constexpr SettingKey kAlwaysOnTop{"UserInterface", "AlwaysOnTop"};
inline constexpr SettingKey kTransparency{"UserInterface", "Transparency"};
inline constexpr SettingKey kClearTextOnSend{"UserInterface", "ClearTextOnSend"};
inline constexpr SettingKey kAutoSendEnabled{"AutoSend", "Enabled"};
inline constexpr SettingKey kAutoSendCycleTime{"AutoSend", "CycleTime"};
inline constexpr SettingKey kUseRegex{"AutoReply", "UseRegex"};
}  // namespace setting
