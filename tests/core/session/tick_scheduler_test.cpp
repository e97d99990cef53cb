#include <string>
#include <thread>

#include "config/configuration.h"
#include "session/tick_scheduler.h"
#include "support/default_configuration.h"
#include "support/linked_session_fixture.h"

namespace linkwright {

namespace {

class TickSchedulerTest : public LinkedSessionTest {
 protected:
  // The link as TCP client of the test's listener, opened by the session.
  void OpenConnection() {
    LoopbackSocket listener = UseTcpClientLink();
    ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
    m_Peer = listener.Accept();
    ASSERT_TRUE(m_Peer.valid());
  }

  // Sleeps until the next tick is due and runs it, as the console does, until `check` holds.
  bool RunUntil(const std::function<bool()>& check) {
    const auto deadline = std::chrono::steady_clock::now() + LoopbackSocket::kPatience;
    while (!check()) {
      const auto due = m_Session.NextDue();
      if (!due || *due > deadline) {
        return false;
      }
      std::this_thread::sleep_until(*due);
      m_Session.RunDueTicks();
    }
    return true;
  }

  const TickScheduler& Timers() const { return m_Session.Timers(); }
};

TEST_F(TickSchedulerTest, NothingRunsBeforeTheLinkIsOpen) {
  SetSetting(setting::kAutoSendEnabled, "1");
  m_Session.StartAutoSend();
  EXPECT_FALSE(m_Session.NextDue().has_value());
  EXPECT_FALSE(Timers().IsAutoSending()) << "AutoSend needs an open link";
}

TEST_F(TickSchedulerTest, AFailedOpenLeavesTheTimersStopped) {
  SetSetting(setting::kMode, "1");
  SetSetting(setting::kActAsServer, "0");
  SetSetting(setting::kSocketPort, std::to_string(UnusedTcpPortNumber()));
  SetSetting(setting::kAutoSendEnabled, "1");
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_FALSE(Timers().IsRxPolling());
  EXPECT_FALSE(Timers().IsAutoSending());
}

TEST_F(TickSchedulerTest, AStreamIsTakenInShortTicksThatFollowEachOtherAtOnce) {
  OpenConnection();
  const std::string packet = std::string(99, '0') + "\r";
  const std::string tracedPacket = std::string(99, '0') + "[CR]\r\n";
  constexpr size_t kPackets = 5000;
  std::string stream;
  for (size_t i = 0; i < kPackets; ++i) {
    stream += packet;
  }
  std::thread writer([this, &stream] { m_Peer.Write(stream); });
  // More is waiting than a tick may take, so some tick leaves the next one due at once
  // instead of a polling period later.
  bool nextTickAtOnce = false;
  const bool allTaken = RunUntil([&] {
    const auto due = m_Session.NextDue();
    nextTickAtOnce = nextTickAtOnce || (due && *due <= TickScheduler::Clock::now());
    return m_FrontEnd.trace.size() >= kPackets * tracedPacket.size();
  });
  writer.join();
  ASSERT_TRUE(allTaken);
  EXPECT_TRUE(nextTickAtOnce);
  EXPECT_EQ(m_FrontEnd.trace.size(), kPackets * tracedPacket.size());
  EXPECT_EQ(OfferedPackets().size(), kPackets);
}

TEST_F(TickSchedulerTest, OpeningPollsTheLinkAndClosingStopsBothTimers) {
  SetSetting(setting::kAutoSendEnabled, "1");
  OpenConnection();
  EXPECT_TRUE(Timers().IsRxPolling());
  EXPECT_TRUE(Timers().IsAutoSending());
  EXPECT_TRUE(m_Peer.Write("HELLO\r"));
  EXPECT_TRUE(RunUntil([this] { return m_FrontEnd.trace.find("HELLO[CR]\r\n") == 0; }));
  EXPECT_TRUE(m_Session.CloseConnection());
  EXPECT_FALSE(m_Session.NextDue().has_value());
  EXPECT_FALSE(m_Session.CloseConnection()) << "nothing left to close";
}

TEST_F(TickSchedulerTest, AutoSendRunsOnlyWhileEnabled) {
  SetReplyRow(2, "", "TICK[LF]");
  OpenConnection();
  EXPECT_FALSE(Timers().IsAutoSending());
  SetSetting(setting::kAutoSendEnabled, "1");
  SetSetting(setting::kAutoSendCycleTime, "20");
  m_Session.StartAutoSend();
  EXPECT_TRUE(RunUntil([this] { return m_Link.TxCount() >= 3; }));
  EXPECT_EQ(m_Peer.Read(15), "TICK\nTICK\nTICK\n");
  SetSetting(setting::kAutoSendEnabled, "0");
  m_Session.StartAutoSend();
  EXPECT_FALSE(Timers().IsAutoSending());
  EXPECT_TRUE(Timers().IsRxPolling());
}

TEST_F(TickSchedulerTest, ATickSetsItsTimerAgainOnlyAfterItRan) {
  SetSetting(setting::kRxPollingTime, "0");
  OpenConnection();
  ASSERT_TRUE(m_Session.NextDue().has_value());
  std::this_thread::sleep_until(*m_Session.NextDue());
  const auto tickStart = TickScheduler::Clock::now();
  m_Session.RunDueTicks();
  ASSERT_TRUE(m_Session.NextDue().has_value());
  EXPECT_GE(*m_Session.NextDue(), tickStart + TickScheduler::kMinimumPeriod)
      << "a period of 0 is raised to the shortest period, counted from the end of the tick";
}

TEST_F(TickSchedulerTest, AReplyGoesOutWithinTheTickThatCutTheRequest) {
  SetSetting(setting::kRxPollingTime, "10");
  SetReplyRow(3, "REQ[CR]", "ANS[CR]");
  OpenConnection();
  EXPECT_TRUE(m_Peer.Write("REQ\r"));
  EXPECT_TRUE(RunUntil([this] { return m_Link.TxCount() == 1; }));
  EXPECT_EQ(m_Peer.Read(4), "ANS\r");
}

}  // namespace

}  // namespace linkwright
