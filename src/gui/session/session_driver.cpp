#include "gui/session/session_driver.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>

#include "gui/session/transfer_display.h"
#include "gui/session/wake_on_data.h"
#include "session/settings_change.h"

namespace linkwright {

namespace {

// The second bell of the failure signal follows the first after this pause.
constexpr int kSecondBellMs = 180;

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

bool IsUserInput(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

bool InModalWindow(QObject* watched) {
  const auto* widget = qobject_cast<QWidget*>(watched);
  return widget != nullptr && widget->window()->isModal();
}

}  // namespace

SessionDriver::SessionDriver(Configuration& config, QObject* parent)
    : QObject(parent),
      m_Config(config),
      m_Session(config, *this),
      m_WakeOnData(new WakeOnData(this)) {
  m_TickTimer.setSingleShot(true);
  m_TickTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_TickTimer, &QTimer::timeout, this, &SessionDriver::OnTick);
  connect(m_WakeOnData, &WakeOnData::DataWaiting, this, &SessionDriver::OnDataWaiting);
  connect(m_WakeOnData->Toggle(), &QAction::toggled, this, &SessionDriver::RearmTicks);
  m_StepTimer.setSingleShot(true);
  connect(&m_StepTimer, &QTimer::timeout, this, &SessionDriver::CarryOnSessionCall);
}

SessionDriver::~SessionDriver() {
  m_TickTimer.stop();
  // A call left in the middle of a transfer ends before the session goes.
  while (m_Fiber.Waiting() && m_Fiber.Resume()) {
  }
  if (m_Session.IsOpen()) {
    m_Session.CloseConnection();
  }
}

QAction* SessionDriver::WakeOnDataToggle() const {
  return m_WakeOnData->Toggle();
}

void SessionDriver::ForceWakeOnData(bool forced) {
  m_WakeOnData->SetForced(forced);
}

void SessionDriver::ShowTransfersIn(TransferDisplay& display) {
  m_Transfer = &display;
  m_Session.SetTransferMonitor({[this, &display](int done, int total) {
                                  display.Progress(done, total);
                                  m_Fiber.Yield();
                                },
                                [&display] { return display.Cancelled(); }});
}

void SessionDriver::SendRow(int row) {
  RunSessionCall([this, row] {
    if (!m_Session.SendRow(row)) {
      FailWithSessionError();
    }
  });
}

void SessionDriver::OpenConnection() {
  if (!TransferRunning()) {
    EndLinkCommand(m_Session.OpenConnection());
  }
}

void SessionDriver::CloseConnection() {
  if (!TransferRunning()) {
    m_Session.CloseConnection();
    EndLinkCommand(true);
  }
}

void SessionDriver::ToggleAutoSend() {
  if (!TransferRunning()) {
    EndLinkCommand(m_Session.ToggleAutoSend());
  }
}

void SessionDriver::ApplyChangedSettings(const std::string& signatureBefore) {
  if (!TransferRunning()) {
    EndLinkCommand(linkwright::ApplyChangedSettings(m_Session, m_Config, signatureBefore));
  }
}

void SessionDriver::EndLinkCommand(bool succeeded) {
  if (!succeeded) {
    FailWithSessionError();
  }
  RearmTicks();
  emit LinkCommandEnded();
}

void SessionDriver::FailWithSessionError() {
  emit CommandFailed(FromStd(m_Session.LastError().Message()));
}

void SessionDriver::RearmTicks() {
  // A transfer reads the line itself; the handles are watched again once it has ended.
  if (!TransferRunning()) {
    m_WakeOnData->Watch(m_Session.WaitHandles());
  }
  const std::optional<Session::Clock::time_point> due = m_Session.NextDue();
  if (!due) {
    m_TickTimer.stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Session::Clock::now());
  m_TickTimer.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())));
}

void SessionDriver::OnTick() {
  // The ticks of a transfer's time wait until it has ended; EndSessionCall arms them again.
  RunSessionCall([this] {
    m_Session.RunDueTicks();
    emit TicksRan();
  });
}

void SessionDriver::OnDataWaiting() {
  if (!TransferRunning()) {
    m_Session.WakeForData();
    OnTick();
  }
}

void SessionDriver::RunSessionCall(std::function<void()> call) {
  if (TransferRunning()) {
    return;
  }
  if (m_Fiber.Start(std::move(call))) {
    qApp->installEventFilter(this);
    m_StepTimer.start(0);
  } else {
    EndSessionCall();
  }
}

void SessionDriver::CarryOnSessionCall() {
  if (m_Fiber.Resume()) {
    m_StepTimer.start(0);
    return;
  }
  qApp->removeEventFilter(this);
  EndSessionCall();
}

void SessionDriver::EndSessionCall() {
  FinishTransfer();
  RearmTicks();
}

void SessionDriver::FinishTransfer() {
  if (m_Transfer != nullptr) {
    m_Transfer->Finish();
  }
}

bool SessionDriver::eventFilter(QObject* watched, QEvent* event) {
  if (TransferRunning() && IsUserInput(*event) && !InModalWindow(watched)) {
    // A shortcut overridden here does not fire, and its key press is dropped next.
    event->accept();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void SessionDriver::AppendTrace(const TraceBatch& pieces) {
  emit TraceAppended(pieces);
}

void SessionDriver::ClearTrace() {
  emit TraceCleared();
}

void SessionDriver::PlaySignal(bool success) {
  QApplication::beep();
  if (!success) {
    QTimer::singleShot(kSecondBellMs, this, [] { QApplication::beep(); });
  }
}

void SessionDriver::SetTxPaneText(const std::string& text) {
  emit TxTextChanged(FromStd(text));
}

void SessionDriver::ShowLinkStatus(const std::string& description, LinkState state) {
  emit LinkStatusChanged(FromStd(description), state);
}

void SessionDriver::ShowNotice(const std::string& text) {
  emit NoticeArrived(FromStd(text));
}

}  // namespace linkwright
