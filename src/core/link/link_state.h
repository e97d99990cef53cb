#pragma once

#include <string>

namespace linkwright {

// The states of the link that a front-end shows, for instance as the main window's icon; it
// picks its own picture for each. kNoLink (a mode that names no transport) shows no icon.
enum class LinkState {
  kNoLink,
  kSerialClosed,
  kSerialOpen,
  kTcpServerClosed,
  kTcpServerListening,
  kTcpServerWithPeer,
  kTcpClientClosed,
  kTcpClientOpen,
  kUdpServerClosed,
  kUdpServerOpen,
  kUdpClient,
  kHttpClosed,
  kHttpOpen,
};

// What the status of a link shows: its one-line description and its state.
struct LinkStatus {
  std::string description;
  LinkState state = LinkState::kNoLink;

  bool operator==(const LinkStatus&) const = default;
};

}  // namespace linkwright
