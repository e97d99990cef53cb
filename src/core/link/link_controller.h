#pragma once

#include <cstdint>
#include <string>

#include "byte_string.h"
#include "front_end/front_end.h"
#include "front_end/trace_text.h"
#include "link/serial_port.h"
#include "link/tcp_link.h"
#include "link/udp_server_link.h"
#include "link/xmodem_channel.h"

class CConfiguration;

// Values of "Connection"/"Mode"; any other value means no transport.
enum LinkMode : int32_t {
  kModeComm = 0,
  kModeTcp = 1,
  kModeUdp = 2,
  kModeHttp = 3,
  kModeXmodem = 4,
};

// The one object through which the tool talks to the outside world. It opens and closes the
// link of the configured mode, sends messages, hands back what has arrived when it is polled,
// counts sent messages and keeps title, link pane and icon in step with the link's state.
//
// The settings of section "Connection" are read at every operation, except that an open link
// remembers the mode and role it was opened with: Close, Send and Receive act on that
// transport until it is closed, whatever the settings say meanwhile.
//
// Single-threaded and without timers: Send runs to completion on the caller's thread (bounded
// by the transport's time-outs) and Receive returns at once. A TCP server takes in its peer
// and notices the peer's close while it is polled by Receive.
class CLinkController {
 public:
  CLinkController(CConfiguration& config, FrontEnd& frontEnd);
  CLinkController(const CLinkController&) = delete;
  CLinkController& operator=(const CLinkController&) = delete;

  // True while a link is open, and always in mode Udp as client, which needs no opening.
  bool IsOpen() const;

  // Opens the link of the configured mode: resets the sent-message count, empties m_RxPacket,
  // stamps m_LastRxTick, updates the status and sounds the result beep. False (with
  // LastFailure telling why) when already open, in mode Udp as client, for an unknown mode, or
  // when the transport does not open.
  bool Open();

  // Closes the transport that Open opened and updates the status. False when nothing is open
  // or the serial port refuses to close.
  bool Close();

  // Sends one message over the link. Clears the trace first when "ClearTextOnSend" is set. On
  // success the exchange is traced (the message as a sent line; in Udp client mode also the
  // reply, in Http mode the response instead) and counted in "Tx: %ld". False, with nothing
  // traced for the failing step and LastFailure telling why, when the link is not open or the
  // transport fails.
  bool Send(const ByteString& message);

  // Everything that arrived since the last call, without waiting: all bytes waiting on the
  // serial port or the TCP connection, every waiting UDP datagram (its sender becomes the
  // peer), or one Xmodem reception started by a byte on the idle line. Bounded to about 64 KiB
  // per call; what is left waits for the next call. Empty when nothing came or nothing is open.
  ByteString Receive();

  // Shows the link's description and state to the front-end.
  void UpdateStatus();

  // Closes the connection to the TCP peer only (a server keeps listening) and updates the
  // status. False when there is no peer.
  bool CloseMessageSocket();

  // Why the last Open or Send failed, in words for a person.
  const std::string& LastFailure() const { return m_LastFailure; }

  // Messages sent since the last Open.
  int32_t TxCount() const { return m_TxCount; }

  // Where the controller and the receive cycle write the trace.
  TraceWriter& Trace() { return m_Trace; }

  // The receive cycle's packet-building buffer, emptied by Open.
  ByteString m_RxPacket;
  // Tick of the last change of m_RxPacket (see TickCount); stamped by Open.
  uint32_t m_LastRxTick = 0;

 private:
  // A mode and, for Tcp and Udp, whether the tool acts as server.
  struct LinkKind {
    int32_t mode = -1;
    bool server = false;
  };
  struct LinkStatus {
    std::string text;
    LinkState state = LinkState::kNoLink;
  };

  LinkKind ConfiguredLink() const;
  // The opened link while open, else the configured one.
  LinkKind ActiveLink() const;
  LinkStatus CurrentStatus() const;
  std::string SerialSettingsText() const;
  uint16_t SocketPort() const;

  bool OpenTransport(LinkKind link);
  bool OpenSerialPort();
  bool CloseTransport(LinkKind link);

  // Udp client and Http trace their exchange themselves; every other link traces a sent
  // message as a sent line once the transport took it.
  static bool TracesItsOwnExchange(LinkKind link);
  bool SendOn(LinkKind link, const ByteString& message);
  bool SendTcp(const ByteString& message);
  bool SendUdpCommand(const ByteString& message);
  bool SendHttpRequest(const ByteString& message);
  bool SendXmodem(const ByteString& message);

  ByteString ReceiveSerial();
  ByteString ReceiveTcp();
  ByteString ReceiveUdp();
  ByteString ReceiveXmodem();

  void TraceSent(const ByteString& message);
  void TraceReceived(const ByteString& bytes);
  void ShowTxCount();
  // Keeps `reason` as LastFailure when `succeeded` is false; returns `succeeded`.
  bool Check(bool succeeded, const std::string& reason);

  CConfiguration& m_Config;
  FrontEnd& m_FrontEnd;
  TraceWriter m_Trace;
  bool m_IsOpen = false;
  LinkKind m_OpenedLink;
  SerialPort m_SerialPort;
  XmodemChannel m_Xmodem;
  TcpLink m_Tcp;
  UdpServerLink m_UdpServer;
  int32_t m_TxCount = 0;
  std::string m_LastFailure;
};
