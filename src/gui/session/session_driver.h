#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

#include "front_end/front_end.h"
#include "gui/session/session_fiber.h"
#include "session/session.h"

class QAction;

namespace linkwright {

class Configuration;
class TransferDisplay;
class WakeOnData;

// Owns the window's session and runs it: ticks on one single-shot timer armed at the session's
// next due time, so they never overlap and never busy-wait, and with wake on data the link's
// handles call for the receive tick too. It is the session's front-end and passes what the core
// shows on as signals, so each part of the window follows the session without knowing the
// others. A link command that fails says why through CommandFailed, which the window shows in
// its status bar.
//
// A send or a tick may hold a long transfer (Xmodem). It runs in a SessionFiber: at each block
// it reports, the fiber hands the thread back to the window's event loop, and the driver carries
// it on at the loop's next turn, so the window repaints and the progress dialog's Cancel works
// without an event loop inside the transfer. Meanwhile the session is not entered again: ticks
// and commands wait or are refused, and the user's clicks and keys reach only a modal dialog
// (the progress dialog), as no command may start inside another.
class SessionDriver : public QObject, public FrontEnd {
  Q_OBJECT

 public:
  SessionDriver(Configuration& config, QObject* parent);
  ~SessionDriver() override;

  Session& GetSession() { return m_Session; }
  Configuration& Config() { return m_Config; }
  // Tools › "Wake on Data".
  QAction* WakeOnDataToggle() const;
  // Wakes on data whatever Tools › "Wake on Data" says, while `forced`: for a scenario run,
  // whose steps must see each answer as it arrives.
  void ForceWakeOnData(bool forced);
  // Long transfers report to `display`, which must outlive the driver's use of the session.
  void ShowTransfersIn(TransferDisplay& display);

  // The commands; each arms the ticks anew afterwards.
  void SendRow(int row);
  void OpenConnection();
  void CloseConnection();
  void ToggleAutoSend();
  // Applies settings changed since they had the connection signature `signatureBefore`.
  void ApplyChangedSettings(const std::string& signatureBefore);
  // Sets the tick timer anew after something changed the session's timers.
  void RearmTicks();
  // Says why a command failed, as the driver's own commands do.
  void ReportFailure(const QString& reason) { emit CommandFailed(reason); }
  // Shows the link's status and the sent count as they are now.
  void ShowStatus() { m_Session.UpdateStatus(); }
  // A send or a tick is under way in the middle of a long transfer.
  bool TransferRunning() const { return m_Fiber.Waiting(); }

  // FrontEnd
  void AppendTrace(const TraceBatch& pieces) override;
  void ClearTrace() override;
  void PlaySignal(bool success) override;
  void SetTxPaneText(const std::string& text) override;
  void ShowLinkStatus(const std::string& description, LinkState state) override;
  void ShowNotice(const std::string& text) override;

 signals:
  void TraceAppended(const TraceBatch& pieces);
  void TraceCleared();
  void TxTextChanged(const QString& text);
  void LinkStatusChanged(const QString& description, LinkState state);
  void NoticeArrived(const QString& text);
  // A link command ended: whether the link is open may have changed.
  void LinkCommandEnded();
  // A command failed; the text says why.
  void CommandFailed(const QString& reason);
  // One run of the due ticks has ended.
  void TicksRan();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTick();
  void OnDataWaiting();
  void EndLinkCommand(bool succeeded);
  void FailWithSessionError();
  // Runs a call that may hold a long transfer; nothing runs while another is under way.
  void RunSessionCall(std::function<void()> call);
  void CarryOnSessionCall();
  void EndSessionCall();
  void FinishTransfer();

  Configuration& m_Config;
  Session m_Session;
  QTimer m_TickTimer;
  WakeOnData* m_WakeOnData;
  TransferDisplay* m_Transfer = nullptr;
  SessionFiber m_Fiber;
  QTimer m_StepTimer;
};

}  // namespace linkwright
