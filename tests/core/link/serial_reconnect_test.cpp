#include <gtest/gtest.h>

#include <string>

#include "link_controller_fixture.h"
#include "support/pty_pair.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// The session on end a of a pseudo-terminal pair whose socat is killed and started again on the
// same link names, as an adapter that is pulled and plugged in again.
class SerialReconnectTest : public LinkControllerTest {
 protected:
  void OpenOnPty(const char* reconnect) {
    ASSERT_TRUE(m_Pty.ready()) << "socat did not make the pseudo-terminals";
    m_Settings = m_Pty.a() + ":9600,N,8,1";
    Set(setting::kMode, "0");
    Set(setting::kCommConfig, m_Settings);
    Set(setting::kSerialReconnect, reconnect);
    ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
    m_Session.ReceiveNow();
  }

  bool TraceHas(const std::string& text) {
    return m_FrontEnd.trace.find(text) != std::string::npos;
  }

  PtyPair m_Pty;
  std::string m_Settings;
};

TEST_F(SerialReconnectTest, ADeviceThatComesBackReopensWithOneReportLineEachWay) {
  OpenOnPty("1");
  m_Pty.Stop();
  ASSERT_TRUE(TickUntil([&] { return TraceHas("waiting for the device"); }));
  EXPECT_EQ(m_FrontEnd.trace, "waiting for the device " + m_Pty.a() + "\r\n");
  EXPECT_TRUE(m_Session.IsOpen());
  EXPECT_FALSE(m_Session.LinkLost());
  EXPECT_EQ(m_FrontEnd.linkPane, m_Settings + " (waiting for the device)");
  EXPECT_FALSE(m_Session.SendMessage("x"));
  EXPECT_EQ(m_Session.LastError().Message(), "waiting for the device " + m_Pty.a());

  ASSERT_TRUE(m_Pty.Start());
  ASSERT_TRUE(TickUntil([&] { return TraceHas("back"); }));
  EXPECT_EQ(m_FrontEnd.linkPane, m_Settings);
  PtyEnd peer(m_Pty.b());
  ASSERT_TRUE(m_Session.SendMessage("again"));
  EXPECT_EQ(peer.Read(5, milliseconds(2000)), "again");
  ASSERT_TRUE(peer.Write("hi"));
  EXPECT_TRUE(TickUntil([&] { return TraceHas("hi"); }));
  EXPECT_EQ(m_FrontEnd.trace, "waiting for the device " + m_Pty.a() +
                                  "\r\nthe device is back: " + m_Pty.a() + "\r\n<-- again\r\nhi");
}

TEST_F(SerialReconnectTest, WithoutTheSettingAVanishedDeviceClosesTheLink) {
  OpenOnPty("0");
  m_Pty.Stop();
  m_Session.RunDueTicks();
  ASSERT_TRUE(WaitUntil([&] {
    m_Session.WakeForData();
    m_Session.RunDueTicks();
    return m_Session.LinkLost();
  }));
  EXPECT_FALSE(m_Session.IsOpen());
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_Session.LastError().Message(), "link lost: the serial line hung up");
}

}  // namespace

}  // namespace linkwright
