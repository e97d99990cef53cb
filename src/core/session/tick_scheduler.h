#pragma once

#include <chrono>
#include <optional>

namespace linkwright {

class Configuration;
struct SettingKey;

// The due times of the main window's two timers: receive polling, period
// "Connection"/"RxPollingTime", for the receive tick; and AutoSend, period "AutoSend"/"CycleTime",
// for the AutoSend step while "AutoSend"/"Enabled" is set and the link is open. Periods are read
// when a timer is set; a tick stops its timer while it runs and sets it again afterwards, so ticks
// never overlap and a period counts from the end of the previous tick. A receive tick that stopped
// at its time limit with data still waiting is followed by the next at once, so a stream is taken
// at the speed it comes, in short ticks between which a window stays responsive.
//
// The scheduler only keeps the due times; the session runs the ticks it finds due. A front-end
// drives the session when NextDue has come (the console sleeps until then, the window arms a
// single-shot timer), and asks NextDue again after every call that may have changed the timers.
class TickScheduler {
 public:
  using Clock = std::chrono::steady_clock;

  // The shortest period; smaller settings (0 included) are raised to it, as a window timer does.
  static constexpr std::chrono::milliseconds kMinimumPeriod{1};

  explicit TickScheduler(const Configuration& config);

  // Sets the receive-polling timer anew.
  void StartRxPolling();
  // Makes the receive tick due now, while receive polling runs: bytes are waiting. After it the
  // period counts again from the end of that tick.
  void ReceiveDueNow();
  // Stops the AutoSend timer, then sets it anew when AutoSend is enabled and the link is open.
  void StartAutoSend(bool linkOpen);
  void StopTimers();

  bool IsRxPolling() const { return m_RxDue.has_value(); }
  bool IsAutoSending() const { return m_AutoSendDue.has_value(); }

  // When the next tick is due; nothing while both timers are stopped.
  std::optional<Clock::time_point> NextDue() const;

  // True when the receive tick is due now; its timer then stays stopped until RxTickRan.
  bool TakeRxDue();
  // Sets the receive timer again after a tick: at once when the tick stopped at its time limit
  // with data still waiting, otherwise a period later.
  void RxTickRan(bool cutShort);
  // True when the AutoSend step is due now; its timer then stays stopped until StartAutoSend.
  bool TakeAutoSendDue();

 private:
  Clock::time_point DueAfterPeriod(const SettingKey& period) const;
  static bool TakeDue(std::optional<Clock::time_point>& due);

  const Configuration& m_Config;
  std::optional<Clock::time_point> m_RxDue;
  std::optional<Clock::time_point> m_AutoSendDue;
};

}  // namespace linkwright
