#include "session/tick_scheduler.h"

#include <algorithm>

#include "config/configuration.h"

namespace linkwright {

TickScheduler::TickScheduler(const Configuration& config) : m_Config(config) {}

void TickScheduler::StartRxPolling() {
  m_RxDue = DueAfterPeriod(setting::kRxPollingTime);
}

void TickScheduler::ReceiveDueNow() {
  if (m_RxDue) {
    m_RxDue = Clock::now();
  }
}

void TickScheduler::StartAutoSend(bool linkOpen) {
  m_AutoSendDue.reset();
  if (m_Config.GetBool(setting::kAutoSendEnabled) && linkOpen) {
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

bool TickScheduler::TakeRxDue() {
  return TakeDue(m_RxDue);
}

void TickScheduler::RxTickRan(bool cutShort) {
  if (cutShort) {
    // Cut short by its time limit: the rest of what is waiting is taken at once.
    m_RxDue = Clock::now();
  } else {
    StartRxPolling();
  }
}

bool TickScheduler::TakeAutoSendDue() {
  return TakeDue(m_AutoSendDue);
}

TickScheduler::Clock::time_point TickScheduler::DueAfterPeriod(const SettingKey& period) const {
  const std::chrono::milliseconds milliseconds{m_Config.GetInt(period)};
  return Clock::now() + std::max(milliseconds, kMinimumPeriod);
}

bool TickScheduler::TakeDue(std::optional<Clock::time_point>& due) {
  if (!due || *due > Clock::now()) {
    return false;
  }
  due.reset();
  return true;
}

}  // namespace linkwright
