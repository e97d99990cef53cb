#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "byte_string.h"
#include "error.h"
#include "link/link_controller.h"
#include "session/linkwright_doc.h"
#include "session/tick_scheduler.h"

class CConfiguration;
class FrontEnd;

// The one object a front-end holds: the link controller, the document with its message table,
// AutoReply, AutoSend and receive cycle, and the two timers, wired together once. A front-end
// builds it from the configuration store and itself, calls its commands, runs RunDueTicks
// when NextDue has come, and shows what arrives through FrontEnd. Each command and each
// RunDueTicks call hands its trace to the front-end in one AppendTrace.
class Session {
 public:
  using Clock = TickScheduler::Clock;

  Session(CConfiguration& config, FrontEnd& frontEnd);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MessageTable& Table() { return m_Doc.Table(); }
  CLinkwrightDoc& Document() { return m_Doc; }
  ResponseStatistics& Statistics() { return m_Doc.Statistics(); }
  CLinkController& Link() { return m_Link; }
  const CLinkController& Link() const { return m_Link; }

  // Opens the link and starts receive polling and AutoSend. False, with LastFailure telling
  // why, when the link did not open.
  bool OpenConnection();
  // Closes the link and stops both timers. False when nothing was open or it did not close.
  bool CloseConnection();
  bool IsOpen() const { return m_Link.IsOpen(); }

  // Sends a row of the table (see CLinkwrightDoc::SendRow). False, with LastFailure telling
  // why, when it was not sent.
  bool SendRow(int row);
  // Sends bytes over the link as they are. False, with LastFailure telling why, when they were
  // not sent.
  bool SendMessage(const ByteString& message);
  // Why the last failed command failed, in words for a person.
  const std::string& LastFailure() const { return m_LastFailure; }

  // Runs every tick that is due now (see TickScheduler). A link lost meanwhile stops the
  // timers; LinkLost then holds and LastFailure says why.
  void RunDueTicks();
  bool LinkLost() const { return m_Link.WasLost(); }
  // Runs the receive tick now, whatever its timer says.
  void ReceiveNow();
  // Packets received so far: cut by the receive cycle, or replies that came back within a send
  // over an exchanging link (UDP client, HTTP).
  size_t PacketsReceived() const {
    return m_Doc.Receiving().PacketCount() + m_Link.ExchangeReplies();
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
  void StartAutoSend() { m_Timers.StartAutoSend(); }
  // Flips "AutoSend"/"Enabled", saves the configuration and sets the AutoSend timer anew.
  // False when the configuration could not be saved (the new value still holds in memory).
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

  // Shows the link's description and state, as after a change of the settings.
  void UpdateStatus() { m_Link.UpdateStatus(); }

 private:
  bool Failed(const std::string& reason);

  CConfiguration& m_Config;
  CLinkController m_Link;
  CLinkwrightDoc m_Doc;
  TickScheduler m_Timers;
  std::string m_LastFailure;
};
