#include "gui/session/link_icons.h"

namespace linkwright {

namespace {

QString LinkStateIconPath(LinkState state) {
  switch (state) {
    case LinkState::kNoLink:
      return {};
    case LinkState::kSerialClosed:
      return ":/link/serial_closed.svg";
    case LinkState::kSerialOpen:
      return ":/link/serial_open.svg";
    case LinkState::kTcpServerClosed:
      return ":/link/tcp_server_closed.svg";
    case LinkState::kTcpServerListening:
      return ":/link/tcp_server_listening.svg";
    case LinkState::kTcpServerWithPeer:
      return ":/link/tcp_server_with_peer.svg";
    case LinkState::kTcpClientClosed:
      return ":/link/tcp_client_closed.svg";
    case LinkState::kTcpClientOpen:
      return ":/link/tcp_client_open.svg";
    case LinkState::kUdpServerClosed:
      return ":/link/udp_server_closed.svg";
    case LinkState::kUdpServerOpen:
      return ":/link/udp_server_open.svg";
    case LinkState::kUdpClient:
      return ":/link/udp_client.svg";
    case LinkState::kHttpClosed:
      return ":/link/http_closed.svg";
    case LinkState::kHttpOpen:
      return ":/link/http_open.svg";
  }
  return {};
}

}  // namespace

QIcon LinkStateIcon(LinkState state) {
  const QString path = LinkStateIconPath(state);
  return path.isEmpty() ? QIcon() : QIcon(path);
}

}  // namespace linkwright
