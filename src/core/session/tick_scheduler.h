#pragma once

#include <chrono>
#include <optional>

class CConfiguration;
struct SettingKey;
class CLinkController;
class CLinkwrightDoc;

// The two timers of the main window: receive polling, period "Connection"/"RxPollingTime",
// running the receive cycle; and AutoSend, period "AutoSend"/"CycleTime", running the AutoSend
// step while "AutoSend"/"Enabled" is set and the link is open. Periods are read when a timer is
// set; a tick stops its timer while it runs and sets it again afterwards, so ticks never overlap
// and a period counts from the end of the previous tick. A receive tick that stopped at its
// time limit with data still waiting is followed by the next at once, so a stream is taken at
// the speed it comes, in short ticks between which a window stays responsive.
//
// The scheduler keeps the due times; a front-end drives it by calling RunDueTicks when NextDue
// has come (the console sleeps until then, the window arms a single-shot timer), and asks
// NextDue again after every call that may have changed the timers.
class TickScheduler {
 public:
  using Clock = std::chrono::steady_clock;

  // The shortest period; smaller settings (0 included) are raised to it, as a window timer does.
  static constexpr std::chrono::milliseconds kMinimumPeriod{1};

  TickScheduler(const CConfiguration& config, CLinkwrightDoc& doc, CLinkController& link);

  // Opens the link (a link that needs no opening counts as opened); when it opened, starts
  // receive polling and AutoSend and shows the link's status. False (the link tells why) when
  // it did not open; the timers then stay stopped.
  bool OpenConnection();
  // Closes the link; when it closed, stops both timers and shows the link's status.
  bool CloseConnection();

  // Sets the receive-polling timer anew.
  void StartRxPolling();
  // Makes the receive tick due now, while receive polling runs: bytes are waiting. After it the
  // period counts again from the end of that tick.
  void ReceiveDueNow();
  // Stops the AutoSend timer, then sets it anew when AutoSend is enabled and the link is open.
  void StartAutoSend();
  void StopTimers();

  bool IsRxPolling() const { return m_RxDue.has_value(); }
  bool IsAutoSending() const { return m_AutoSendDue.has_value(); }

  // When the next tick is due; nothing while both timers are stopped.
  std::optional<Clock::time_point> NextDue() const;

  // Runs every tick that is due now, the receive tick first. A link lost in the receive tick
  // stops both timers.
  void RunDueTicks();

 private:
  Clock::time_point DueAfterPeriod(const SettingKey& period) const;
  static bool IsDue(const std::optional<Clock::time_point>& due);

  const CConfiguration& m_Config;
  CLinkwrightDoc& m_Doc;
  CLinkController& m_Link;
  std::optional<Clock::time_point> m_RxDue;
  std::optional<Clock::time_point> m_AutoSendDue;
};
