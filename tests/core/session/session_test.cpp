#include "session/session.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <string>
#include <thread>

#include "config/configuration.h"
#include "support/default_configuration.h"
#include "support/loopback_socket.h"
#include "support/recording_front_end.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() { ResetConfigurationToDefaults(); }

  // The session as TCP client of the test's listener; m_Peer is the accepted connection.
  void OpenTcpClient() {
    LoopbackSocket listener = LoopbackSocket::TcpListener();
    SetSetting(setting::kMode, "1");
    SetSetting(setting::kActAsServer, "0");
    SetSetting(setting::kSocketPort, std::to_string(listener.Port()));
    ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
    m_Peer = listener.Accept();
    ASSERT_TRUE(m_Peer.valid());
  }

  // Sleeps until the next tick is due and runs it, as a front-end does, until `check` holds.
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

  // Waits, as a front-end with wake on data does, until a handle of the session turns readable
  // and runs the receive tick it makes due; false when none did within the patience.
  bool RunOnceReadable() {
    std::vector<pollfd> watched;
    for (const WaitHandle handle : m_Session.WaitHandles()) {
      watched.push_back({static_cast<int>(handle), POLLIN, 0});
    }
    const int patience = static_cast<int>(LoopbackSocket::kPatience.count());
    if (poll(watched.data(), watched.size(), patience) <= 0) {
      return false;
    }
    m_Session.WakeForData();
    m_Session.RunDueTicks();
    return true;
  }

  RecordingFrontEnd m_FrontEnd;
  Session m_Session{GetConfiguration(), m_FrontEnd};
  LoopbackSocket m_Peer = LoopbackSocket::Udp();
};

TEST_F(SessionTest, ATickThatReceivesAndRepliesHandsItsTraceOverInOneCall) {
  m_Session.Table().SetItemText(1, MessageTable::kMessageColumn, "PONG[CR]");
  m_Session.Table().SetItemText(1, MessageTable::kTriggerColumn, "PING[CR]");
  m_Session.Table().SetActive(1, 1);
  OpenTcpClient();
  ASSERT_TRUE(m_Peer.Write("PING\r"));
  ASSERT_TRUE(RunUntil([this] { return !m_FrontEnd.batches.empty(); }));
  EXPECT_EQ(m_Peer.Read(5), "PONG\r");
  ASSERT_EQ(m_FrontEnd.batches.size(), 1u);
  EXPECT_EQ(m_FrontEnd.batches[0], (TraceBatch{{TraceDirection::kReceived, "PING[CR]", true},
                                               {TraceDirection::kSent, "<-- PONG[CR]", true}}));
  EXPECT_EQ(m_Session.Table().SelectedRow(), 1);
  EXPECT_TRUE(m_Session.CloseConnection());
  EXPECT_FALSE(m_Session.NextDue().has_value());
}

TEST_F(SessionTest, WakeOnDataRunsTheReceiveTickWhenBytesArriveAndOnlyWhileTheLinkIsOpen) {
  m_Session.Table().SetItemText(1, MessageTable::kMessageColumn, "PONG[CR]");
  m_Session.Table().SetItemText(1, MessageTable::kTriggerColumn, "PING[CR]");
  m_Session.Table().SetActive(1, 1);
  // The periodic tick would come after a minute, long past the peer's patience.
  SetSetting(setting::kRxPollingTime, "60000");
  OpenTcpClient();
  ASSERT_TRUE(m_Peer.Write("PING\r"));
  ASSERT_TRUE(RunOnceReadable());
  EXPECT_EQ(m_Peer.Read(5), "PONG\r");
  EXPECT_TRUE(m_Session.CloseConnection());
  EXPECT_TRUE(m_Session.WaitHandles().empty());
}

TEST_F(SessionTest, TheStatusIsShownWhenItChangesNotForEveryChunk) {
  OpenTcpClient();
  const int shownAfterOpen = m_FrontEnd.statusShows;
  for (const std::string chunk : {"one", "two", "three"}) {
    const size_t traced = m_FrontEnd.trace.size();
    ASSERT_TRUE(m_Peer.Write(chunk));
    ASSERT_TRUE(RunUntil([&] { return m_FrontEnd.trace.size() > traced; }));
  }
  EXPECT_EQ(m_FrontEnd.statusShows, shownAfterOpen);
  m_Peer.Close();
  ASSERT_TRUE(RunUntil([this] { return m_Session.LinkLost(); }));
  EXPECT_EQ(m_FrontEnd.statusShows, shownAfterOpen + 1);
  EXPECT_EQ(m_FrontEnd.state, LinkState::kTcpClientClosed);
}

TEST_F(SessionTest, AFailedSendSaysWhy) {
  EXPECT_FALSE(m_Session.SendRow(100));
  EXPECT_EQ(m_Session.LastError().Message(), "no row 100 (rows are 1 … 99)");
  EXPECT_FALSE(m_Session.SendRow(2));
  EXPECT_EQ(m_Session.LastError().Message(), "row 2: no message");
  m_Session.Table().SetItemText(2, MessageTable::kMessageColumn, "X");
  EXPECT_FALSE(m_Session.SendRow(2));
  EXPECT_EQ(m_Session.LastError().Message(), "row 2: the link is not open");
  EXPECT_FALSE(m_Session.SendMessage("X"));
  EXPECT_EQ(m_Session.LastError().Message(), "the link is not open");
}

TEST_F(SessionTest, ToggleAutoSendSavesTheFlipAndStartsTheCycle) {
  TempDir dir;
  Configuration::SetFilePath(dir / "linkwright.cfg");
  m_Session.Table().SetItemText(3, MessageTable::kMessageColumn, "TICK");
  m_Session.Table().SetActive(3, 1);
  SetSetting(setting::kAutoSendCycleTime, "1");
  OpenTcpClient();
  ASSERT_TRUE(m_Session.ToggleAutoSend());
  EXPECT_NE(ReadFileBytes(dir / "linkwright.cfg").find("Enabled=1"), std::string::npos);
  ASSERT_TRUE(RunUntil([this] { return m_FrontEnd.txPane == "Tx: 1"; }));
  EXPECT_EQ(m_Peer.Read(4), "TICK");

  ASSERT_TRUE(m_Session.ToggleAutoSend());
  EXPECT_FALSE(GetConfiguration().GetBool(setting::kAutoSendEnabled));

  Configuration::SetFilePath(dir.path());
  EXPECT_FALSE(m_Session.ToggleAutoSend()) << "a folder cannot be replaced by the file";
  EXPECT_TRUE(GetConfiguration().GetBool(setting::kAutoSendEnabled)) << "the flip holds in memory";
  EXPECT_NE(m_Session.LastError().Message().find("could not be saved"), std::string::npos);
}

}  // namespace

}  // namespace linkwright
