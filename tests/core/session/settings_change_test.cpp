#include "session/settings_change.h"

#include <gtest/gtest.h>

#include <string>

#include "config/configuration.h"
#include "config/connection_signature.h"
#include "session/session.h"
#include "support/default_configuration.h"
#include "support/loopback_socket.h"
#include "support/recording_front_end.h"

namespace linkwright {

namespace {

class SettingsChangeTest : public ::testing::Test {
 protected:
  SettingsChangeTest() { ResetConfigurationToDefaults(); }

  // The session as TCP client of `listener`; returns the accepted connection.
  LoopbackSocket OpenTcpClientOf(LoopbackSocket& listener) {
    SetSetting(setting::kMode, "1");
    SetSetting(setting::kActAsServer, "0");
    SetSetting(setting::kSocketPort, std::to_string(listener.Port()));
    EXPECT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
    return listener.Accept();
  }

  RecordingFrontEnd m_FrontEnd;
  Session m_Session{GetConfiguration(), m_FrontEnd};
};

TEST_F(SettingsChangeTest, OnlyAChangedConnectionSignatureReopensTheLink) {
  LoopbackSocket first = LoopbackSocket::TcpListener();
  LoopbackSocket peer = OpenTcpClientOf(first);
  ASSERT_TRUE(peer.valid());

  std::string before = ConnectionSignature(GetConfiguration());
  SetSetting(setting::kPacketCloser, "[LF]");
  EXPECT_TRUE(ApplyChangedSettings(m_Session, GetConfiguration(), before));
  EXPECT_FALSE(peer.SeesClose(std::chrono::milliseconds(200)));
  EXPECT_FALSE(first.Accept(std::chrono::milliseconds(200)).valid());

  LoopbackSocket second = LoopbackSocket::TcpListener();
  before = ConnectionSignature(GetConfiguration());
  SetSetting(setting::kSocketPort, std::to_string(second.Port()));
  EXPECT_TRUE(ApplyChangedSettings(m_Session, GetConfiguration(), before));
  EXPECT_TRUE(peer.SeesClose());
  EXPECT_TRUE(second.Accept().valid());
  EXPECT_TRUE(m_Session.IsOpen());
}

TEST_F(SettingsChangeTest, AReopenThatFailsSaysWhyAndAClosedLinkStaysClosed) {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  ASSERT_TRUE(OpenTcpClientOf(listener).valid());
  std::string before = ConnectionSignature(GetConfiguration());
  SetSetting(setting::kSocketPort, std::to_string(UnusedTcpPortNumber()));
  EXPECT_FALSE(ApplyChangedSettings(m_Session, GetConfiguration(), before));
  EXPECT_FALSE(m_Session.IsOpen());
  EXPECT_FALSE(m_Session.LastError().Message().empty());

  before = ConnectionSignature(GetConfiguration());
  SetSetting(setting::kSocketPort, std::to_string(listener.Port()));
  EXPECT_TRUE(ApplyChangedSettings(m_Session, GetConfiguration(), before));
  EXPECT_FALSE(m_Session.IsOpen());
  EXPECT_FALSE(listener.Accept(std::chrono::milliseconds(200)).valid());
}

}  // namespace

}  // namespace linkwright
