#include "gui/session/session_driver.h"

#include <QAction>
#include <QApplication>
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
}

SessionDriver::~SessionDriver() {
  m_TickTimer.stop();
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
  m_Session.SetTransferMonitor({[&display](int done, int total) { display.Progress(done, total); },
                                [&display] { return display.Cancelled(); }});
}

bool SessionDriver::SendRow(int row) {
  const bool sent = m_Session.SendRow(row);
  FinishTransfer();
  if (!sent) {
    FailWithSessionError();
  }
  return sent;
}

void SessionDriver::OpenConnection() {
  EndLinkCommand(m_Session.OpenConnection());
}

void SessionDriver::CloseConnection() {
  m_Session.CloseConnection();
  EndLinkCommand(true);
}

void SessionDriver::ToggleAutoSend() {
  EndLinkCommand(m_Session.ToggleAutoSend());
}

void SessionDriver::ApplyChangedSettings(const std::string& signatureBefore) {
  EndLinkCommand(linkwright::ApplyChangedSettings(m_Session, m_Config, signatureBefore));
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
  // A transfer lets the window repaint; its ticks wait until it has ended.
  if (TransferRunning()) {
    RearmTicks();
    return;
  }
  m_Session.RunDueTicks();
  FinishTransfer();
  emit TicksRan();
  RearmTicks();
}

void SessionDriver::OnDataWaiting() {
  m_Session.WakeForData();
  OnTick();
}

bool SessionDriver::TransferRunning() const {
  return m_Transfer != nullptr && m_Transfer->Running();
}

void SessionDriver::FinishTransfer() {
  if (m_Transfer != nullptr) {
    m_Transfer->Finish();
  }
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
