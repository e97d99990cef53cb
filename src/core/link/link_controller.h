#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "byte_string.h"
#include "front_end/front_end.h"
#include "front_end/trace_text.h"
#include "link/make_transport.h"
#include "link/transport.h"

class CConfiguration;

// The one object through which the tool talks to the outside world. It opens the transport of
// the configured mode and holds it until it is closed, sends messages over it, hands back what
// has arrived when it is polled, counts sent messages and keeps the front-end's link
// description and state in step with the link.
//
// The settings of section "Connection" are read at every operation, except that an open link
// keeps the transport it was opened with: Close, Send and Receive act on it until it is
// closed, whatever the settings say meanwhile.
//
// Single-threaded and without timers: Send runs to completion on the caller's thread (bounded
// by the transport's time-outs) and Receive returns at once. A TCP server takes in its peer
// and notices the peer's close while it is polled by Receive.
class CLinkController {
 public:
  CLinkController(const CConfiguration& config, FrontEnd& frontEnd);
  ~CLinkController();
  CLinkController(const CLinkController&) = delete;
  CLinkController& operator=(const CLinkController&) = delete;

  // True while a link is open, and always in mode Udp as client, which needs no opening.
  bool IsOpen() const;
  // True when the configured link counts as open without being opened (Udp as client).
  bool NeedsNoOpening() const;

  // Opens the link of the configured mode: resets the sent-message count, updates the status
  // and sounds the result beep. False (with LastFailure telling why) when already open, in
  // mode Udp as client, for an unknown mode, or when the transport does not open.
  bool Open();
  // The same with a transport the caller made, whatever the settings name.
  bool OpenWith(std::unique_ptr<Transport> transport);

  // Closes the transport that Open opened and updates the status. False when nothing is open
  // or the transport refuses to close.
  bool Close();

  // Sends one message over the link. Clears the trace first when "ClearTextOnSend" is set. On
  // success the exchange is traced (the message as a sent line; in Udp client mode also the
  // reply, in Http mode the response instead) and counted in "Tx: %ld". False, with nothing
  // traced for the failing step and LastFailure telling why, when the link is not open or the
  // transport fails.
  bool Send(const ByteString& message);

  // While a SendGathering lives, the open link may keep the messages sent meanwhile back and
  // send them together when it ends (see Transport::StartGathering); they are traced and
  // counted when sent, as always. When what was kept does not go out, the end gives a "W" log
  // line and the failure beep, updates the status and leaves LastFailure telling why.
  class SendGathering {
   public:
    explicit SendGathering(CLinkController& link);
    ~SendGathering();
    SendGathering(const SendGathering&) = delete;
    SendGathering& operator=(const SendGathering&) = delete;

   private:
    CLinkController& m_Link;
  };

  // Everything that arrived since the last call, without waiting (see Transport::TakeWaiting),
  // bounded to about 64 KiB per call; what is left waits for the next call. The first call
  // after Open marks the start of a new link as a new peer at offset 0. A link found lost is
  // closed, with a "W" log line, the closed status and LastFailure telling why; WasLost then
  // holds until the next Open.
  Arrival Receive();
  bool WasLost() const { return m_WasLost; }
  // The handles of the open link that turn readable when Receive has something to take (see
  // Transport::WaitHandles); empty while nothing is open.
  std::vector<WaitHandle> WaitHandles() const;

  // Shows the link's description and state to the front-end.
  void UpdateStatus();

  // Closes the connection to the TCP peer only (a server keeps listening) and updates the
  // status. False when there is no peer.
  bool CloseMessageSocket();

  // Where long transfers (Xmodem) report progress and where transfers and exchanges (UDP
  // client, HTTP) ask whether to stop; kept for the present transport and every one made or
  // opened from now on.
  void SetTransferMonitor(const TransferMonitor& monitor);

  // Why the last Open, Send or lost link failed, in words for a person.
  const std::string& LastFailure() const { return m_LastFailure; }

  // Messages sent since the last Open.
  int32_t TxCount() const { return m_TxCount; }
  // Reply lines that came back within sends over an exchanging link (UDP client, HTTP), since
  // the controller was made; they never pass through Receive.
  size_t ExchangeReplies() const { return m_ExchangeReplies; }

  // Where the controller and the receive cycle write the trace.
  TraceWriter& Trace() { return m_Trace; }

 private:
  // The open transport, else one of the configured kind, made anew when the kind changed.
  Transport& Active() const;
  void LoseLink();
  void TraceReply();
  void ShowTxCount();
  void EndGathering();
  bool Failed(const std::string& reason);

  const CConfiguration& m_Config;
  FrontEnd& m_FrontEnd;
  TraceWriter m_Trace;
  TransferMonitor m_Monitor;
  std::unique_ptr<Transport> m_Opened;
  mutable std::unique_ptr<Transport> m_Configured;
  mutable LinkKind m_ConfiguredKind;
  bool m_NewLink = false;
  bool m_WasLost = false;
  bool m_Gathering = false;
  int32_t m_TxCount = 0;
  size_t m_ExchangeReplies = 0;
  std::string m_LastFailure;
};
