#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_string.h"
#include "error.h"
#include "front_end/trace_text.h"
#include "link/link_controller.h"
#include "session/message_document.h"
#include "session/packet_list.h"
#include "session/tick_scheduler.h"

namespace linkwright {

class Configuration;
class FrontEnd;

// The one object a front-end holds, and the only one in the core that talks to the FrontEnd:
// the link controller, the document with its message table, AutoReply, AutoSend and receive
// cycle, and the two timers, wired together once. A front-end builds it from the configuration
// store and itself, calls its commands, runs RunDueTicks when NextDue has come, and sees the
// results through FrontEnd: the trace, the beeps, the "Tx: %ld" text, the link status (shown
// when its description or state changed) and the notices.
//
// Received bytes travel one way: the link controller's Receive, the receive cycle that traces
// and cuts them, AutoReply that picks a row for each packet, and the session that sends it. Each
// command and each tick is one scope: its trace reaches the front-end in one AppendTrace, and
// in a receive tick the replies to one chunk leave the link together.
class Session : public LastErrorHolder {
 public:
  using Clock = TickScheduler::Clock;

  Session(Configuration& config, FrontEnd& frontEnd);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MessageTable& Table() { return m_Doc.Table(); }
  MessageDocument& Document() { return m_Doc; }
  ResponseStatistics& Statistics() { return m_Doc.Statistics(); }
  LinkController& Link() { return m_Link; }
  const LinkController& Link() const { return m_Link; }
  const TickScheduler& Timers() const { return m_Timers; }
  // Where commands outside the link (the checksum report) write the trace.
  TraceWriter& Trace() { return m_Trace; }

  // Opens the link (a link that needs no opening counts as opened), sounds the result beep and
  // starts receive polling and AutoSend. Fails, and the timers stay stopped, when the link did
  // not open.
  bool OpenConnection();
  // Closes the link and stops both timers. Fails when nothing was open or it did not close.
  bool CloseConnection();
  bool IsOpen() const { return m_Link.IsOpen(); }
  // Closes the connection to the TCP peer only; a server keeps listening.
  bool CloseMessageSocket();

  // Sends the message of row 1 … 99 and sounds the result beep. Fails, without touching the
  // link, for a row out of range, a message that decodes to no bytes, or a closed link, and
  // when the link's send fails. A sent row starts its wait for an answer in the statistics,
  // which a reply coming back within the send (an exchanging link) ends at once.
  bool SendRow(int row);
  // Sets, clears or pulses DTR or RTS of the open serial link, or sends a break. A device that
  // refuses (a pseudo-terminal has no modem lines) fails the command, not the link.
  bool ApplyLineCommand(const LineCommand& command);
  // The input lines of the open serial link; nothing for other links and for devices without
  // modem lines.
  std::optional<ModemStatus> ReadModemStatus() const { return m_Link.ReadModemStatus(); }
  // Sends bytes over the link as they are.
  bool SendMessage(const ByteString& message);
  // The failure text for a row number (as the user wrote it) outside 1 … rowCount.
  static std::string NoRowFailure(const std::string& row, int rowCount);

  // Runs every tick that is due now, the receive tick first. A link lost meanwhile stops the
  // timers; LinkLost then holds and LastError says why.
  void RunDueTicks();
  bool LinkLost() const { return m_Link.WasLost(); }
  // One receive tick at time `now`: takes what arrived chunk by chunk (see ReceiveCycle), each
  // packet answering the rows waiting in the statistics and then offered to AutoReply, until
  // nothing more is waiting or ReceiveCycle::kTickWorkLimit has passed. True when it stopped at
  // that limit with more possibly waiting.
  bool ReceiveTick(Clock::time_point now);
  // Runs the receive tick now, whatever its timer says.
  void ReceiveNow() { ReceiveTick(Clock::now()); }
  // Answers a packet with the row AutoReply picks; true when it picked one, whatever the send
  // reported.
  bool AutoReply(std::string_view packet);
  // One step of the AutoSend cycle: sends the next active row; true when there was one,
  // whatever the send reported.
  bool AutoSendStep();
  // Packets received so far: cut by the receive cycle, or replies that came back within a send
  // over an exchanging link (UDP client, HTTP).
  size_t PacketsReceived() const {
    return m_Doc.Receiving().PacketCount() + m_Link.ExchangeReplies();
  }
  // Called with every packet received, before AutoReply sees it: the packets the receive cycle
  // cuts and the replies that come back within a send over an exchanging link. A test runner
  // watches the traffic through it; none is set by default. The session holds it weakly, so
  // either may go first: an observer whose owner let it go is no longer called.
  using PacketObserver = std::function<void(std::string_view packet)>;
  void SetPacketObserver(std::weak_ptr<const PacketObserver> observer) {
    m_PacketObserver = std::move(observer);
  }

  // When the next tick is due; nothing while no timer runs.
  std::optional<Clock::time_point> NextDue() const { return m_Timers.NextDue(); }

  // Wake on data: a front-end that watches these handles for reading and calls WakeForData
  // when one turns readable has its receive tick run as soon as bytes arrive, with the
  // periodic tick going on as before. Empty while receive polling is stopped. The set changes
  // when the link opens or closes and when a peer comes or goes, so a front-end compares it
  // after every command and every RunDueTicks.
  std::vector<WaitHandle> WaitHandles() const;
  // Makes the receive tick due now; the next RunDueTicks runs it.
  void WakeForData() { m_Timers.ReceiveDueNow(); }

  // Sets the AutoSend timer anew from the settings, as after a change of them.
  void StartAutoSend() { m_Timers.StartAutoSend(m_Link.IsOpen()); }
  // Flips "AutoSend"/"Enabled", saves the configuration and sets the AutoSend timer anew.
  // Fails when the configuration could not be saved (the new value still holds in memory).
  bool ToggleAutoSend();

  // Loads a message file into the table (see LoadMessageFile); when it could not be loaded, the
  // table stays as it was. The error is returned, not kept: it is no failure of the link.
  Error LoadTable(const std::filesystem::path& path);
  // Saves the table as a message file (see SaveMessageFile).
  Error SaveTable(const std::filesystem::path& path);
  // Replaces the table with empty rows, not modified.
  void NewTable();

  // Where a long transfer (Xmodem) reports progress and asks whether to stop.
  void SetTransferMonitor(const TransferMonitor& monitor) { m_Link.SetTransferMonitor(monitor); }

  // Shows the link's description and state when they changed since they were last shown, as
  // after a change of the settings; the first call always shows them.
  void UpdateStatus();

 private:
  // One command or tick: the trace written meanwhile reaches the front-end in one append when
  // it ends, after the sent count and the link status, where they changed; a tick also gathers
  // the link's sends.
  class Scope {
   public:
    enum class Sends { kAtOnce, kGathered };
    explicit Scope(Session& session, Sends sends = Sends::kAtOnce);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Session& m_Session;
    TraceWriter::Batch m_Batch;
    bool m_Gathering;
  };

  bool FailOfLink(const std::string& label = {});
  // The row's message over the link, counted in the statistics (`byAutoReply`: as a hit), with
  // the result beep.
  bool SendRowMessage(int row, bool byAutoReply);
  bool SendRowBytes(int row);
  // "row N: ", the start of a failed send's message; built only when a send fails.
  static std::string RowLabel(int row);
  // Sends and traces what the link reports; clears the trace first when "ClearTextOnSend" is set.
  bool SendTraced(const ByteString& message);
  void OfferPackets(const PacketList& packets);
  void ObservePacket(std::string_view packet);
  void ShowRefusedPeers(const Arrival& arrival);
  // Sends what the link gathered; the failure beep when it did not go out.
  void SendGathered();
  void ShowLinkChanges();
  void ShowTxCount();
  void PlayBeep(bool result);

  Configuration& m_Config;
  FrontEnd& m_FrontEnd;
  TraceWriter m_Trace;
  LinkController m_Link;
  MessageDocument m_Doc;
  TickScheduler m_Timers;
  std::weak_ptr<const PacketObserver> m_PacketObserver;
  std::optional<LinkStatus> m_ShownStatus;
  int32_t m_ShownTxCount = 0;
};

}  // namespace linkwright
