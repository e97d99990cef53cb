#include "scenario/scenario_runner.h"

#include <algorithm>

#include "codec/escape_codec.h"

namespace linkwright {

ScenarioRunner::ScenarioRunner(Session& session, const Scenario& scenario)
    : m_Session(session),
      m_Scenario(scenario),
      m_Outcomes(scenario.tests.size()),
      m_Observer(std::make_shared<const Session::PacketObserver>(
          [this](std::string_view packet) { Keep(packet); })) {
  for (size_t i = 0; i < scenario.tests.size(); ++i) {
    m_Outcomes[i].steps.resize(scenario.tests[i].steps.size());
  }
  m_Session.SetPacketObserver(m_Observer);
}

size_t CountState(const std::vector<TestOutcome>& outcomes, RunState state) {
  return static_cast<size_t>(
      std::count_if(outcomes.begin(), outcomes.end(),
                    [state](const TestOutcome& o) { return o.state == state; }));
}

void ScenarioRunner::Keep(std::string_view packet) {
  if (!m_TestRunning) {
    return;
  }
  if (m_Kept.size() >= kMaxKeptPackets) {
    m_Kept.pop_front();
  }
  m_Kept.emplace_back(packet);
  Record(false, packet);
}

void ScenarioRunner::Record(bool sent, std::string_view bytes) {
  std::deque<TrafficLine>& traffic = m_Outcomes[m_Test].traffic;
  if (traffic.size() >= kTrafficTail) {
    traffic.pop_front();
  }
  traffic.push_back({std::chrono::system_clock::now(), sent, BytesToText(bytes, false)});
}

void ScenarioRunner::RecordRow(int row) {
  const MessageTable& table = m_Session.Table();
  if (table.IsMessageRow(row)) {
    Record(true, TextToBytes(table.GetItemText(row, MessageTable::kMessageColumn)));
  }
}

void ScenarioRunner::Advance(Clock::time_point now) {
  while (!Finished()) {
    if (!m_TestRunning && !StartTest(now)) {
      continue;
    }
    const std::vector<ScenarioStep>& steps = m_Scenario.tests[m_Test].steps;
    if (m_Step >= steps.size()) {
      EndTest(RunState::kPassed, now);
      continue;
    }
    if (!m_StepRunning) {
      StartStep(now);
    }
    StepResult result = RunStep(steps[m_Step], now);
    // A link lost under a step that waits is that step's failure.
    if (result == StepResult::kWaiting && m_Session.LinkLost()) {
      result = Failure("the link to stay up", m_Session.LastError().Message());
    }
    if (result == StepResult::kWaiting) {
      return;
    }
    EndStep(result == StepResult::kDone ? RunState::kPassed : RunState::kFailed, now);
  }
}

std::optional<ScenarioRunner::Clock::time_point> ScenarioRunner::WaitsUntil() const {
  if (Finished() || !m_StepRunning) {
    return std::nullopt;
  }
  const ScenarioStep& step = m_Scenario.tests[m_Test].steps[m_Step];
  return m_StepStart + step.time;
}

void ScenarioRunner::Stop(Clock::time_point now) {
  if (Finished()) {
    return;
  }
  if (m_TestRunning) {
    Failure("the test to run to its end", "stopped");
    if (m_StepRunning) {
      EndStep(RunState::kFailed, now);
    } else {
      EndTest(RunState::kFailed, now);
    }
  }
  m_Test = m_Scenario.tests.size();
}

bool ScenarioRunner::StartTest(Clock::time_point now) {
  m_TestRunning = true;
  m_TestStart = now;
  m_Step = 0;
  m_Kept.clear();
  m_Captures.clear();
  m_Outcomes[m_Test].state = RunState::kRunning;
  Changed();
  if (!m_Session.IsOpen() && !m_Session.OpenConnection()) {
    Failure("the link to open", m_Session.LastError().Message());
    m_Outcomes[m_Test].failedStep.reset();
    EndTest(RunState::kFailed, now);
    return false;
  }
  return true;
}

void ScenarioRunner::StartStep(Clock::time_point now) {
  m_StepRunning = true;
  m_StepStart = now;
  m_Outcomes[m_Test].steps[m_Step].state = RunState::kRunning;
  Changed();
}

ScenarioRunner::StepResult ScenarioRunner::RunStep(const ScenarioStep& step,
                                                   Clock::time_point now) {
  switch (step.kind) {
    case StepKind::kSend:
      return Send(step);
    case StepKind::kExpect:
      return Expect(step, now);
    case StepKind::kSilence:
      return Silence(step, now);
    case StepKind::kWait:
      return now >= m_StepStart + step.time ? StepResult::kDone : StepResult::kWaiting;
    case StepKind::kClose:
      return Close();
    case StepKind::kOpen:
      return Open();
  }
  return StepResult::kFailed;
}

ScenarioRunner::StepResult ScenarioRunner::Send(const ScenarioStep& step) {
  const bool sent = [&] {
    if (step.form == PayloadForm::kRow) {
      RecordRow(step.row);
      return m_Session.SendRow(step.row);
    }
    ByteString bytes = step.form == PayloadForm::kText ? TextBytes(step.payload) : step.payload;
    if (step.checksum) {
      bytes += ChecksumBytes(*step.checksum, bytes);
    }
    // Recorded before it goes: the reply of an exchanging link comes back within the send.
    Record(true, bytes);
    return m_Session.SendMessage(bytes);
  }();
  return sent ? StepResult::kDone
              : Failure("the message to go out", m_Session.LastError().Message());
}

ScenarioRunner::StepResult ScenarioRunner::Expect(const ScenarioStep& step, Clock::time_point now) {
  if (m_Kept.empty()) {
    if (now < m_StepStart + step.time) {
      return StepResult::kWaiting;
    }
    std::string arrived = "nothing within " + std::to_string(step.time.count()) + " ms";
    const ByteString& unfinished = m_Session.Document().Receiving().RxPacket();
    if (!unfinished.empty()) {
      arrived += " (unfinished packet: " + BytesToText(unfinished, false) + ")";
    }
    return Failure(step.detail, arrived);
  }
  const ByteString packet = std::move(m_Kept.front());
  m_Kept.pop_front();
  return Matches(step, packet) ? StepResult::kDone
                               : Failure(step.detail, BytesToText(packet, false));
}

bool ScenarioRunner::Matches(const ScenarioStep& step, const ByteString& packet) {
  if (step.checksum) {
    const size_t width = ChecksumBytes(*step.checksum, {}).size();
    if (packet.size() < width ||
        packet.substr(packet.size() - width) !=
            ChecksumBytes(*step.checksum, packet.substr(0, packet.size() - width))) {
      return false;
    }
  }
  if (step.form != PayloadForm::kRegex) {
    return packet == (step.form == PayloadForm::kText ? TextBytes(step.payload) : step.payload);
  }
  boost::smatch found;
  if (!boost::regex_match(packet, found, *step.regex)) {
    return false;
  }
  for (const std::string& name : step.captureNames) {
    if (found[name].matched) {
      m_Captures[name] = found[name].str();
    }
  }
  return true;
}

ByteString ScenarioRunner::TextBytes(const std::string& text) const {
  // Captures go in as bytes, after the text around them is decoded, so a captured '[' is no
  // escape.
  ByteString bytes;
  size_t from = 0;
  for (size_t at = text.find("${"); at != std::string::npos; at = text.find("${", from)) {
    const size_t end = text.find('}', at);
    bytes += TextToBytes(text.substr(from, at - from));
    const auto capture = m_Captures.find(text.substr(at + 2, end - at - 2));
    if (capture != m_Captures.end()) {
      bytes += capture->second;
    }
    from = end + 1;
  }
  return bytes + TextToBytes(text.substr(from));
}

ScenarioRunner::StepResult ScenarioRunner::Silence(const ScenarioStep& step,
                                                   Clock::time_point now) {
  if (!m_Kept.empty()) {
    return Failure("no packet for " + std::to_string(step.time.count()) + " ms",
                   BytesToText(m_Kept.front(), false));
  }
  return now >= m_StepStart + step.time ? StepResult::kDone : StepResult::kWaiting;
}

ScenarioRunner::StepResult ScenarioRunner::Close() {
  if (!m_Session.IsOpen() || m_Session.Link().NeedsNoOpening() || m_Session.CloseConnection()) {
    return StepResult::kDone;
  }
  return Failure("the link to close", m_Session.LastError().Message());
}

ScenarioRunner::StepResult ScenarioRunner::Open() {
  if (m_Session.IsOpen() || m_Session.OpenConnection()) {
    return StepResult::kDone;
  }
  return Failure("the link to open", m_Session.LastError().Message());
}

ScenarioRunner::StepResult ScenarioRunner::Failure(std::string expected, std::string arrived) {
  TestOutcome& outcome = m_Outcomes[m_Test];
  outcome.failedStep = m_Step;
  outcome.expected = std::move(expected);
  outcome.arrived = std::move(arrived);
  return StepResult::kFailed;
}

void ScenarioRunner::EndStep(RunState state, Clock::time_point now) {
  StepOutcome& step = m_Outcomes[m_Test].steps[m_Step];
  step.state = state;
  step.time = now - m_StepStart;
  m_StepRunning = false;
  ++m_Step;
  if (state == RunState::kFailed) {
    EndTest(state, now);
    return;
  }
  Changed();
}

void ScenarioRunner::EndTest(RunState state, Clock::time_point now) {
  TestOutcome& outcome = m_Outcomes[m_Test];
  outcome.state = state;
  outcome.time = now - m_TestStart;
  m_TestRunning = false;
  m_StepRunning = false;
  Changed();
  ++m_Test;
}

void ScenarioRunner::Changed() {
  if (m_Listener) {
    m_Listener(m_Test);
  }
}

}  // namespace linkwright
