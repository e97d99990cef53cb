#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "byte_string.h"
#include "scenario/scenario.h"
#include "session/session.h"

namespace linkwright {

enum class RunState { kWaiting, kRunning, kPassed, kFailed };

// One line of a test's own record of the traffic: a message it sent or a packet that arrived.
struct TrafficLine {
  std::chrono::system_clock::time_point time;
  bool sent = false;
  // In escape text.
  std::string text;
};

struct StepOutcome {
  RunState state = RunState::kWaiting;
  std::chrono::steady_clock::duration time{};
};

struct TestOutcome {
  RunState state = RunState::kWaiting;
  std::chrono::steady_clock::duration time{};
  std::vector<StepOutcome> steps;
  // For a failed test: the step (none when the test could not start), what it expected and
  // what arrived instead (or why it failed).
  std::optional<size_t> failedStep;
  std::string expected;
  std::string arrived;
  // The last lines of the test's traffic, oldest first.
  std::deque<TrafficLine> traffic;
};

// How many of the outcomes are in `state`.
size_t CountState(const std::vector<TestOutcome>& outcomes, RunState state);

// Runs a scenario's tests in order over a session, one step after the other, without ever
// blocking: the front-end runs the session's ticks as always (with wake on data, so a packet is
// seen as soon as it arrives), calls Advance after each of them and whenever WaitsUntil has
// come, and reads the outcomes.
//
// Every packet the session receives while a test runs is kept, in order, for the next expect:
// an expect takes the oldest kept packet, and a packet that does not match fails it. A silence
// fails on any packet kept or arriving; a wait keeps what arrives. A test starts with nothing
// kept (the packets left over from the previous test are dropped) and opens the link when it is
// not open. A failed step ends its test; a lost link fails the test that was running, and the
// next test opens the link anew.
class ScenarioRunner {
 public:
  using Clock = Session::Clock;
  // How many lines of traffic each test keeps for its report.
  static constexpr size_t kTrafficTail = 20;
  // Packets kept beyond this (a peer that streams while no expect waits) drop the oldest.
  static constexpr size_t kMaxKeptPackets = 4096;

  // Watches the session's packets for as long as the runner lives; the session may go first.
  ScenarioRunner(Session& session, const Scenario& scenario);
  ScenarioRunner(const ScenarioRunner&) = delete;
  ScenarioRunner& operator=(const ScenarioRunner&) = delete;

  // Called with a test's index whenever it or one of its steps changes state.
  void SetChangeListener(std::function<void(size_t test)> listener) {
    m_Listener = std::move(listener);
  }

  // Runs every step that can run at `now`; returns when a step waits or every test has run.
  void Advance(Clock::time_point now);
  // When the waiting step's time runs out; nothing when it waits for nothing timed.
  std::optional<Clock::time_point> WaitsUntil() const;
  bool Finished() const { return m_Test >= m_Scenario.tests.size(); }
  // Fails the running test as stopped; the tests after it are not run.
  void Stop(Clock::time_point now);

  const Scenario& Tests() const { return m_Scenario; }
  const std::vector<TestOutcome>& Outcomes() const { return m_Outcomes; }

 private:
  enum class StepResult { kDone, kWaiting, kFailed };

  void Keep(std::string_view packet);
  void Record(bool sent, std::string_view bytes);
  void RecordRow(int row);
  bool StartTest(Clock::time_point now);
  void StartStep(Clock::time_point now);
  StepResult RunStep(const ScenarioStep& step, Clock::time_point now);
  StepResult Send(const ScenarioStep& step);
  StepResult Expect(const ScenarioStep& step, Clock::time_point now);
  StepResult Silence(const ScenarioStep& step, Clock::time_point now);
  StepResult Close();
  StepResult Open();
  bool Matches(const ScenarioStep& step, const ByteString& packet);
  // The step's text with the captures put in, decoded to bytes.
  ByteString TextBytes(const std::string& text) const;
  StepResult Failure(std::string expected, std::string arrived);
  void EndStep(RunState state, Clock::time_point now);
  void EndTest(RunState state, Clock::time_point now);
  void Changed();

  Session& m_Session;
  const Scenario& m_Scenario;
  std::function<void(size_t)> m_Listener;
  std::vector<TestOutcome> m_Outcomes;
  size_t m_Test = 0;
  size_t m_Step = 0;
  bool m_TestRunning = false;
  bool m_StepRunning = false;
  Clock::time_point m_TestStart;
  Clock::time_point m_StepStart;
  std::shared_ptr<const Session::PacketObserver> m_Observer;
  std::deque<ByteString> m_Kept;
  std::map<std::string, ByteString> m_Captures;
};

}  // namespace linkwright
