#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "byte_string.h"
#include "error.h"
#include "link/link_state.h"
#include "link/make_transport.h"
#include "link/transport.h"

namespace linkwright {

class Configuration;

// What one Send shows in the trace, in this order: the message as a sent line, then the lines
// that came back within an exchange (UDP client reply, HTTP response) as received lines.
struct SentLines {
  bool message = false;
  std::vector<ByteString> replies;
};

// The one object through which the tool talks to the outside world. It opens the transport of
// the configured mode and holds it until it is closed, sends messages over it, hands back what
// has arrived when it is polled and counts sent messages. It shows nothing itself: every
// operation reports what happened (its result, what to trace, what arrived, the sent count and
// the link's status), and the session shows it.
//
// The settings of section "Connection" are read at every operation, except that an open link
// keeps the transport it was opened with: Close, Send and Receive act on it until it is
// closed, whatever the settings say meanwhile.
//
// Single-threaded and without timers: Send runs to completion on the caller's thread (bounded
// by the transport's time-outs) and Receive returns at once. A TCP server takes in its peer
// and notices the peer's close while it is polled by Receive.
class LinkController : public LastErrorHolder {
 public:
  explicit LinkController(const Configuration& config);
  ~LinkController();
  LinkController(const LinkController&) = delete;
  LinkController& operator=(const LinkController&) = delete;

  // True while a link is open, and always in mode Udp as client, which needs no opening.
  bool IsOpen() const;
  // True when the configured link counts as open without being opened (Udp as client).
  bool NeedsNoOpening() const;

  // Opens the link of the configured mode and resets the sent-message count. Fails when
  // already open, in mode Udp as client, for an unknown mode, or when the transport does not
  // open.
  bool Open();
  // The same with a transport the caller made, whatever the settings name.
  bool OpenWith(std::unique_ptr<Transport> transport);

  // Closes the transport that Open opened. False when nothing is open or the transport refuses
  // to close.
  bool Close();

  // Sends one message over the link and counts it. `lines` tells what to trace, also when the
  // send fails (an exchange shows its message before it waits for the reply). Fails when the
  // link is not open or the transport fails.
  bool Send(const ByteString& message, SentLines& lines);
  // The same for a caller that traces nothing.
  bool Send(const ByteString& message);

  // Between StartGathering and EndGathering the open link may keep the messages sent meanwhile
  // back and send them together at the end (see Transport::StartGathering); they count when
  // Send takes them. EndGathering fails, with a "W" log line, when what was kept did not go out.
  void StartGathering();
  bool EndGathering();
  // Sends what was gathered so far; the gathering goes on.
  bool SendGathered();

  // Everything that arrived since the last call, without waiting (see Transport::TakeWaiting),
  // bounded to about 64 KiB per call; what is left waits for the next call. The first call
  // after Open marks the start of a new link as a new peer at offset 0. A link found lost is
  // closed, with a "W" log line and LastError telling why; WasLost then holds until the next
  // Open.
  Arrival Receive();
  bool WasLost() const { return m_WasLost; }
  // The handles of the open link that turn readable when Receive has something to take (see
  // Transport::WaitHandles); empty while nothing is open.
  std::vector<WaitHandle> WaitHandles() const;

  // The link's description and state as they are now.
  LinkStatus Status() const;

  // Closes the connection to the TCP peer only (a server keeps listening). False when there
  // is no peer.
  bool CloseMessageSocket();

  // Runs a command on the open serial link's control lines (see SerialPort::ApplyLineCommand);
  // fails when nothing is open, the link is not serial or the device refuses. The link stays
  // open either way.
  bool ApplyLineCommand(const LineCommand& command);
  // The open serial link's input lines; nothing otherwise.
  std::optional<ModemStatus> ReadModemStatus() const;

  // Where long transfers (Xmodem) report progress and where transfers and exchanges (UDP
  // client, HTTP) ask whether to stop; kept for the present transport and every one made or
  // opened from now on.
  void SetTransferMonitor(const TransferMonitor& monitor);

  // Messages sent since the last Open.
  int32_t TxCount() const { return m_TxCount; }
  // Reply lines that came back within sends over an exchanging link (UDP client, HTTP), since
  // the controller was made; they never pass through Receive.
  size_t ExchangeReplies() const { return m_ExchangeReplies; }

 private:
  // The open transport, else one of the configured kind, made anew when the kind changed.
  Transport& Active() const;
  void LoseLink();

  const Configuration& m_Config;
  TransferMonitor m_Monitor;
  std::unique_ptr<Transport> m_Opened;
  mutable std::unique_ptr<Transport> m_Configured;
  mutable LinkKind m_ConfiguredKind;
  bool m_NewLink = false;
  bool m_WasLost = false;
  bool m_Gathering = false;
  int32_t m_TxCount = 0;
  size_t m_ExchangeReplies = 0;
};

}  // namespace linkwright
