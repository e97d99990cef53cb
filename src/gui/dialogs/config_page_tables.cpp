#include "gui/dialogs/config_page_table.h"

namespace linkwright {

namespace {

using Kind = ConfigControlKind;
using State = ConfigControlState;

enum Mode { kComm = 0, kTcp = 1, kUdp = 2, kHttp = 3, kXmodem = 4 };

int ModeOf(const State& state) {
  return state.Index(setting::kMode);
}

bool IsServer(const State& state) {
  return state.Checked(setting::kActAsServer);
}

bool ForSocket(const State& state) {
  return ModeOf(state) == kTcp || ModeOf(state) == kUdp;
}

bool ForSocketClient(const State& state) {
  return ForSocket(state) && !IsServer(state);
}

bool ForSerial(const State& state) {
  return ModeOf(state) == kComm || ModeOf(state) == kXmodem;
}

bool ForHttp(const State& state) {
  return ModeOf(state) == kHttp;
}

bool NotForHttp(const State& state) {
  return ModeOf(state) != kHttp;
}

// Only an HTTP request and a UDP client wait for an answer.
bool ForAnsweredRequests(const State& state) {
  return ModeOf(state) == kHttp || (ModeOf(state) == kUdp && !IsServer(state));
}

bool ForTcp(const State& state) {
  return ModeOf(state) == kTcp;
}

// TLS serves TCP when switched on, and https addresses whatever the switch says.
bool ForTls(const State& state) {
  return (ModeOf(state) == kTcp && state.Checked(setting::kTlsEnabled)) || ModeOf(state) == kHttp;
}

bool ForTlsClient(const State& state) {
  return ForTls(state) && (ModeOf(state) == kHttp || !IsServer(state));
}

bool ForUdp(const State& state) {
  return ModeOf(state) == kUdp;
}

bool ForMulticast(const State& state) {
  return ForUdp(state) && !state.Text(setting::kMulticastGroup).trimmed().isEmpty();
}

bool ForMulticastSender(const State& state) {
  return ForMulticast(state) && !IsServer(state);
}

bool ForHexTrace(const State& state) {
  return state.Checked(setting::kHexTrace);
}

bool ForAutoSend(const State& state) {
  return state.Checked(setting::kAutoSendEnabled);
}

ConfigPageTable ConnectionPage() {
  constexpr int kTlsBox = 1;
  constexpr int kMulticastBox = 2;
  return {
      "Connection",
      {nullptr, "TLS (TCP, https)", "UDP multicast"},
      {
          {.kind = Kind::kCombo,
           .setting = setting::kMode,
           .label = "Mode",
           .items = "Comm|Tcp|Udp|Http|Xmodem"},
          {.kind = Kind::kCheck,
           .setting = setting::kActAsServer,
           .label = "Act as server",
           .enabled = ForSocket},
          {.kind = Kind::kText,
           .setting = setting::kSocketHost,
           .label = "Host",
           .enabled = ForSocketClient},
          {.kind = Kind::kText,
           .setting = setting::kSocketPort,
           .label = "Port",
           .enabled = ForSocket},
          {.kind = Kind::kSerialSettings,
           .setting = setting::kCommConfig,
           .label = "Comm Config.",
           .enabled = ForSerial},
          {.kind = Kind::kNumber,
           .setting = setting::kResponseTimeout,
           .label = "Response timeout [ms]",
           .maximum = 65000,
           .enabled = ForAnsweredRequests},
          {.kind = Kind::kText, .setting = setting::kPacketOpener, .label = "Packet opener"},
          {.kind = Kind::kText, .setting = setting::kPacketCloser, .label = "Packet closer"},
          {.kind = Kind::kNumber,
           .setting = setting::kPacketBreakTimeout,
           .label = "Packet break timeout [ms]",
           .maximum = 65000},
          {.kind = Kind::kNumber,
           .setting = setting::kRxPollingTime,
           .label = "Rx polling time [ms]",
           .maximum = 10000,
           .enabled = NotForHttp},
          {.kind = Kind::kCheck,
           .setting = setting::kUseRegex,
           .label = "User regex to match autoreply trigger"},
          {.kind = Kind::kText,
           .setting = setting::kHttpUrl,
           .label = "Http url",
           .enabled = ForHttp},
          {.kind = Kind::kCheck,
           .setting = setting::kTlsEnabled,
           .label = "Use TLS",
           .box = kTlsBox,
           .enabled = ForTcp},
          {.kind = Kind::kText,
           .setting = setting::kTlsCaFile,
           .label = "CA file",
           .box = kTlsBox,
           .enabled = ForTls},
          {.kind = Kind::kText,
           .setting = setting::kTlsCertFile,
           .label = "Certificate file",
           .box = kTlsBox,
           .enabled = ForTls},
          {.kind = Kind::kText,
           .setting = setting::kTlsKeyFile,
           .label = "Key file",
           .box = kTlsBox,
           .enabled = ForTls},
          {.kind = Kind::kCheck,
           .setting = setting::kTlsVerifyPeer,
           .label = "Verify the peer's certificate",
           .box = kTlsBox,
           .enabled = ForTls},
          {.kind = Kind::kText,
           .setting = setting::kTlsServerName,
           .label = "Server name",
           .placeholder = "the host",
           .box = kTlsBox,
           .enabled = ForTlsClient},
          {.kind = Kind::kText,
           .setting = setting::kMulticastGroup,
           .label = "Group",
           .placeholder = "none",
           .box = kMulticastBox,
           .enabled = ForUdp},
          {.kind = Kind::kText,
           .setting = setting::kMulticastInterface,
           .label = "Interface",
           .placeholder = "any",
           .box = kMulticastBox,
           .enabled = ForMulticast},
          {.kind = Kind::kNumber,
           .setting = setting::kMulticastTtl,
           .label = "TTL",
           .maximum = 255,
           .box = kMulticastBox,
           .enabled = ForMulticastSender},
      },
  };
}

ConfigPageTable UserInterfacePage() {
  return {
      "User Interface",
      {nullptr},
      {
          {.kind = Kind::kCheck, .setting = setting::kBeepOnFailure, .label = "Beep on Failure"},
          {.kind = Kind::kCheck, .setting = setting::kBeepOnSuccess, .label = "Beep on Success"},
          {.kind = Kind::kCheck, .setting = setting::kHexTrace, .label = "Hex trace"},
          {.kind = Kind::kCheck,
           .setting = setting::kHexTrace2,
           .label = "[xHEX]",
           .sameLine = true,
           .enabled = ForHexTrace},
          {.kind = Kind::kCheck, .setting = setting::kAlwaysOnTop, .label = "Always On Top"},
          {.kind = Kind::kNumber,
           .setting = setting::kTransparency,
           .label = "Transparency",
           .maximum = 128},
          {.kind = Kind::kCheck,
           .setting = setting::kClearTextOnSend,
           .label = "Clear Text on every Send"},
      },
  };
}

ConfigPageTable ToolsPage() {
  return {
      "Tools",
      {"Autosend"},
      {
          {.kind = Kind::kCheck, .setting = setting::kAutoSendEnabled, .label = "Enabled"},
          {.kind = Kind::kNumber,
           .setting = setting::kAutoSendCycleTime,
           .label = "Cycle time [ms]",
           .maximum = 10000,
           .enabled = ForAutoSend,
           .labelFollows = true},
      },
  };
}

}  // namespace

const std::vector<ConfigPageTable>& ConfigPageTables() {
  static const std::vector<ConfigPageTable> tables = {ConnectionPage(), UserInterfacePage(),
                                                      ToolsPage()};
  return tables;
}

}  // namespace linkwright
