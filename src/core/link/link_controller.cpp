#include "link/link_controller.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "front_end/result_beep.h"
#include "front_end/trace_text.h"
#include "link/commkit/connection.h"
#include "link/http_client.h"
#include "tick_count.h"

namespace {

// What one Receive hands back at most: small enough that the receive cycle, which takes chunks
// until its time limit, checks the time often, large enough to cost few system calls.
constexpr size_t kMaxReceive = 64 << 10;

// An Xmodem reception goes into a buffer of this size; messages shorter than the threshold
// are sent in 16-byte blocks, longer ones in 128-byte blocks.
constexpr size_t kXmodemReceiveBuffer = 2049;
constexpr size_t kXmodemShortMessage = 64;
constexpr char kXmodemPadding = 0x1A;

constexpr const char* kOnlyOnePeer = "Only allow one message socket at a time";

// The text of an Xmodem reception: up to the first 0x00; without one, up to the first padding
// byte; without either, all but the last byte.
ByteString XmodemText(const std::vector<char>& buffer) {
  auto end = std::find(buffer.begin(), buffer.end(), '\0');
  if (end == buffer.end()) {
    end = std::find(buffer.begin(), buffer.end(), kXmodemPadding);
  }
  if (end == buffer.end()) {
    end = buffer.end() - 1;
  }
  return ByteString(buffer.begin(), end);
}

// The configured URL with the message appended as its path, with one slash between them
// unless either side already brings one.
std::string JoinedUrl(const std::string& base, const ByteString& message) {
  std::string url = base;
  if (!url.empty() && url.back() != '/' && !message.empty() && message.front() != '/') {
    url += '/';
  }
  return url + message;
}

}  // namespace

CLinkController::CLinkController(CConfiguration& config, FrontEnd& frontEnd)
    : m_Config(config), m_FrontEnd(frontEnd), m_Trace(config, frontEnd) {}

CLinkController::LinkKind CLinkController::ConfiguredLink() const {
  return {m_Config.GetInt("Connection", "Mode"), m_Config.GetBool("Connection", "ActAsServer")};
}

CLinkController::LinkKind CLinkController::ActiveLink() const {
  return m_IsOpen ? m_OpenedLink : ConfiguredLink();
}

uint16_t CLinkController::SocketPort() const {
  return static_cast<uint16_t>(m_Config.GetInt("Connection", "SocketPort"));
}

bool CLinkController::IsOpen() const {
  if (m_IsOpen) {
    return true;
  }
  LinkKind link = ConfiguredLink();
  return link.mode == kModeUdp && !link.server;
}

bool CLinkController::Check(bool succeeded, const std::string& reason) {
  if (!succeeded) {
    m_LastFailure = reason;
  }
  return succeeded;
}

bool CLinkController::Open() {
  m_LastFailure.clear();
  bool result = false;
  if (m_IsOpen) {
    m_LastFailure = "the link is already open";
  } else {
    m_TxCount = 0;
    ShowTxCount();
    LinkKind link = ConfiguredLink();
    result = OpenTransport(link);
    m_RxPacket.clear();
    m_LastRxTick = TickCount();
    if (result) {
      m_IsOpen = true;
      m_OpenedLink = link;
    }
    UpdateStatus();
  }
  PlayResultBeep(m_Config, m_FrontEnd, result);
  return result;
}

bool CLinkController::OpenTransport(LinkKind link) {
  switch (link.mode) {
    case kModeComm:
      return OpenSerialPort();
    case kModeTcp:
      if (link.server) {
        return Check(m_Tcp.Listen(SocketPort()), m_Tcp.LastError());
      }
      return Check(m_Tcp.Connect(m_Config.GetString("Connection", "SocketHost"), SocketPort()),
                   m_Tcp.LastError());
    case kModeUdp:
      if (link.server) {
        return Check(m_UdpServer.Bind(SocketPort()), m_UdpServer.LastError());
      }
      return Check(false, "the UDP client needs no opening");
    case kModeHttp:
      return true;
    case kModeXmodem: {
      bool opened = OpenSerialPort();
      // Refuses harmlessly when the port did not open.
      m_Xmodem.Bind(&m_SerialPort, nullptr, nullptr, nullptr, 0, true);
      return opened;
    }
    default:
      return Check(false, "no link for mode " + std::to_string(link.mode));
  }
}

bool CLinkController::OpenSerialPort() {
  // A malformed setting leaves the port's previous settings in force.
  m_SerialPort.ParseSettings(m_Config.GetString("Connection", "CommConfig"));
  return Check(m_SerialPort.OpenPort(), m_SerialPort.LastError());
}

bool CLinkController::Close() {
  if (!m_IsOpen) {
    return false;
  }
  bool closed = CloseTransport(m_OpenedLink);
  if (closed) {
    m_IsOpen = false;
  }
  UpdateStatus();
  return closed;
}

bool CLinkController::CloseTransport(LinkKind link) {
  switch (link.mode) {
    case kModeTcp:
      m_Tcp.Close();
      return true;
    case kModeUdp:
      m_UdpServer.Close();
      return true;
    case kModeHttp:
      return true;
    case kModeXmodem:
      m_Xmodem.Release();
      return m_SerialPort.ClosePort();
    case kModeComm:
      return m_SerialPort.ClosePort();
    default:
      return false;
  }
}

bool CLinkController::CloseMessageSocket() {
  bool closed = m_Tcp.ClosePeer();
  UpdateStatus();
  return closed;
}

bool CLinkController::Send(const ByteString& message) {
  m_LastFailure.clear();
  if (m_Config.GetBool("UserInterface", "ClearTextOnSend")) {
    m_Trace.Clear();
  }
  if (!IsOpen()) {
    return Check(false, "the link is not open");
  }
  LinkKind link = ActiveLink();
  if (!SendOn(link, message)) {
    return false;
  }
  if (!TracesItsOwnExchange(link)) {
    TraceSent(message);
  }
  ++m_TxCount;
  ShowTxCount();
  return true;
}

bool CLinkController::TracesItsOwnExchange(LinkKind link) {
  return (link.mode == kModeUdp && !link.server) || link.mode == kModeHttp;
}

bool CLinkController::SendOn(LinkKind link, const ByteString& message) {
  switch (link.mode) {
    case kModeComm:
      return Check(m_SerialPort.WriteBytes(message), m_SerialPort.LastError());
    case kModeTcp:
      return SendTcp(message);
    case kModeUdp:
      if (link.server) {
        return Check(m_UdpServer.SendToPeer(message), m_UdpServer.LastError());
      }
      return SendUdpCommand(message);
    case kModeHttp:
      return SendHttpRequest(message);
    case kModeXmodem:
      return SendXmodem(message);
    default:
      return Check(false, "no link for mode " + std::to_string(link.mode));
  }
}

bool CLinkController::SendTcp(const ByteString& message) {
  bool hadPeer = m_Tcp.HasPeer();
  bool sent = m_Tcp.Send(message);
  // A connection that failed has been dropped.
  if (hadPeer && !m_Tcp.HasPeer()) {
    UpdateStatus();
  }
  return Check(sent, m_Tcp.LastError());
}

bool CLinkController::SendUdpCommand(const ByteString& message) {
  std::string host = m_Config.GetString("Connection", "SocketHost");
  int32_t port = m_Config.GetInt("Connection", "SocketPort");
  int32_t timeout = m_Config.GetInt("Connection", "ResponseTimeout");
  commkit::UdpClientConnection connection;
  connection.SetDestination(host, port);
  connection.SetTimeout(timeout);
  connection.SetPollInterval(0);
  // A connection that did not open makes SendCommand fail.
  connection.Open();
  ByteString opener = TextToBytes(m_Config.GetString("Connection", "PacketOpener"));
  ByteString closer = TextToBytes(m_Config.GetString("Connection", "PacketCloser"));
  TraceSent(message);
  ByteString reply;
  bool replied = connection.SendCommand(message, opener, closer, reply);
  if (replied) {
    TraceReceived(reply);
  }
  connection.Close();
  return Check(replied, "no reply from " + host + ":" + std::to_string(port) + " within " +
                            std::to_string(timeout) + " ms");
}

bool CLinkController::SendHttpRequest(const ByteString& message) {
  std::string url = JoinedUrl(m_Config.GetString("Connection", "HttpUrl"), message);
  ByteString header;
  ByteString body;
  if (!Check(HttpExchange(url, header, body, m_Config.GetInt("Connection", "ResponseTimeout")),
             "no HTTP response from " + url)) {
    return false;
  }
  TraceReceived(header);
  TraceReceived({});
  TraceReceived(body);
  return true;
}

bool CLinkController::SendXmodem(const ByteString& message) {
  int32_t blockSize = message.size() < kXmodemShortMessage ? 16 : 128;
  bool sent = m_Xmodem.Transmit(blockSize, message.data(), static_cast<int32_t>(message.size()));
  return Check(sent,
               std::string("Xmodem transfer failed: ") + XmodemMessage(m_Xmodem.LastResult()));
}

ByteString CLinkController::Receive() {
  if (!m_IsOpen) {
    return {};
  }
  switch (m_OpenedLink.mode) {
    case kModeComm:
      return ReceiveSerial();
    case kModeTcp:
      return ReceiveTcp();
    case kModeUdp:
      return ReceiveUdp();
    case kModeXmodem:
      return ReceiveXmodem();
    default:
      // Http answers arrive within Send.
      return {};
  }
}

ByteString CLinkController::ReceiveSerial() {
  ByteString data;
  while (data.size() < kMaxReceive) {
    int32_t byte = m_SerialPort.ReadByte();
    if (byte < 0) {
      break;
    }
    data.push_back(static_cast<char>(byte));
  }
  return data;
}

ByteString CLinkController::ReceiveTcp() {
  bool peerGone = false;
  ByteString data = m_Tcp.ReadWaiting(kMaxReceive, peerGone);
  if (peerGone) {
    CloseMessageSocket();
  }
  // Taken in after reading, so a peer that closed makes room for one already waiting.
  if (m_OpenedLink.server) {
    TcpLink::AcceptResult accept = m_Tcp.AcceptWaiting();
    for (int i = 0; i < accept.refused; ++i) {
      m_FrontEnd.ShowNotice(kOnlyOnePeer);
    }
    if (accept.accepted) {
      UpdateStatus();
    }
  }
  if (!data.empty()) {
    UpdateStatus();
  }
  return data;
}

ByteString CLinkController::ReceiveUdp() {
  bool arrived = false;
  ByteString data = m_UdpServer.ReceiveWaiting(kMaxReceive, arrived);
  if (arrived) {
    UpdateStatus();
  }
  return data;
}

ByteString CLinkController::ReceiveXmodem() {
  // A byte on the idle line announces a sender; the byte itself is not data.
  if (m_SerialPort.ReadByte() < 0) {
    return {};
  }
  std::vector<char> buffer(kXmodemReceiveBuffer);
  if (!m_Xmodem.Receive(buffer.data(), static_cast<int32_t>(buffer.size()))) {
    return {};
  }
  return XmodemText(buffer);
}

void CLinkController::UpdateStatus() {
  LinkStatus status = CurrentStatus();
  m_FrontEnd.ShowLinkStatus(status.text, status.state);
}

CLinkController::LinkStatus CLinkController::CurrentStatus() const {
  LinkKind link = ActiveLink();
  switch (link.mode) {
    case kModeTcp:
      if (!m_IsOpen) {
        return {"TCP ...", link.server ? LinkState::kTcpServerClosed : LinkState::kTcpClientClosed};
      }
      if (!link.server) {
        return {"TCP " + m_Tcp.PeerText(), LinkState::kTcpClientOpen};
      }
      return {"TCP " + m_Tcp.PeerText(),
              m_Tcp.HasPeer() ? LinkState::kTcpServerWithPeer : LinkState::kTcpServerListening};
    case kModeUdp:
      if (!link.server) {
        return {"UDP --> " + m_Config.GetString("Connection", "SocketHost") + ":" +
                    std::to_string(m_Config.GetInt("Connection", "SocketPort")),
                LinkState::kUdpClient};
      }
      if (!m_IsOpen) {
        return {"UDP ...", LinkState::kUdpServerClosed};
      }
      return {"UDP <-- " + m_UdpServer.Peer().address().to_string(), LinkState::kUdpServerOpen};
    case kModeHttp:
      return {"", m_IsOpen ? LinkState::kHttpOpen : LinkState::kHttpClosed};
    case kModeComm:
    case kModeXmodem:
      return {SerialSettingsText(), m_IsOpen ? LinkState::kSerialOpen : LinkState::kSerialClosed};
    default:
      return {"", LinkState::kNoLink};
  }
}

std::string CLinkController::SerialSettingsText() const {
  // A separate object, so the open port is never touched.
  SerialPort settings;
  settings.ParseSettings(m_Config.GetString("Connection", "CommConfig"));
  return settings.FormatSettings();
}

void CLinkController::TraceSent(const ByteString& message) {
  m_Trace.Write(message, TraceDirection::kSent, true);
}

void CLinkController::TraceReceived(const ByteString& bytes) {
  m_Trace.Write(bytes, TraceDirection::kReceived, true);
}

void CLinkController::ShowTxCount() {
  char text[32];
  std::snprintf(text, sizeof text, "Tx: %ld", static_cast<long>(m_TxCount));
  m_FrontEnd.SetTxPaneText(text);
}
