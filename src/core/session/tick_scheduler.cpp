#include "session/tick_scheduler.h"

#include <algorithm>

#include "config/configuration.h"
#include "link/link_controller.h"
#include "session/linkwright_doc.h"

TickScheduler::TickScheduler(const CConfiguration& config, CLinkwrightDoc& doc,
                             CLinkController& link)
    : m_Config(config), m_Doc(doc), m_Link(link) {}

bool TickScheduler::OpenConnection() {
  if (!m_Link.NeedsNoOpening() && !m_Link.Open()) {
    return false;
  }
  StartRxPolling();
  StartAutoSend();
  m_Link.UpdateStatus();
  return true;
}

bool TickScheduler::CloseConnection() {
  if (!m_Link.Close()) {
    return false;
  }
  StopTimers();
  m_Link.UpdateStatus();
  return true;
}

void TickScheduler::StartRxPolling() {
  m_RxDue = DueAfterPeriod(setting::kRxPollingTime);
}

void TickScheduler::ReceiveDueNow() {
  if (m_RxDue) {
    m_RxDue = Clock::now();
  }
}

void TickScheduler::StartAutoSend() {
  m_AutoSendDue.reset();
  if (m_Config.GetBool(setting::kAutoSendEnabled) && m_Link.IsOpen()) {
    m_AutoSendDue = DueAfterPeriod(setting::kAutoSendCycleTime);
  }
}

void TickScheduler::StopTimers() {
  m_RxDue.reset();
  m_AutoSendDue.reset();
}

std::optional<TickScheduler::Clock::time_point> TickScheduler::NextDue() const {
  if (m_RxDue && m_AutoSendDue) {
    return std::min(*m_RxDue, *m_AutoSendDue);
  }
  return m_RxDue ? m_RxDue : m_AutoSendDue;
}

void TickScheduler::RunDueTicks() {
  if (IsDue(m_RxDue)) {
    m_RxDue.reset();
    const bool cutShort = m_Doc.ReceiveTick(Clock::now());
    if (m_Link.WasLost()) {
      StopTimers();
      return;
    }
    if (cutShort) {
      // Cut short by its time limit: the rest of what is waiting is taken at once.
      m_RxDue = Clock::now();
    } else {
      StartRxPolling();
    }
  }
  if (IsDue(m_AutoSendDue)) {
    m_AutoSendDue.reset();
    m_Doc.AutoSendStep();
    StartAutoSend();
  }
}

TickScheduler::Clock::time_point TickScheduler::DueAfterPeriod(const SettingKey& period) const {
  const std::chrono::milliseconds milliseconds{m_Config.GetInt(period)};
  return Clock::now() + std::max(milliseconds, kMinimumPeriod);
}

bool TickScheduler::IsDue(const std::optional<Clock::time_point>& due) {
  return due && *due <= Clock::now();
}
