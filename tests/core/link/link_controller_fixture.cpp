#include "link_controller_fixture.h"

#include <chrono>
#include <thread>

#include "config/configuration.h"
#include "support/default_configuration.h"

namespace linkwright {

bool WaitUntil(const std::function<bool()>& check) {
  auto deadline = std::chrono::steady_clock::now() + LoopbackSocket::kPatience;
  while (!check()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return check();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

LinkControllerTest::LinkControllerTest()
    : m_Session(GetConfiguration(), m_FrontEnd), m_Link(m_Session.Link()) {
  ResetConfigurationToDefaults();
}

LinkControllerTest::~LinkControllerTest() {
  m_Link.Close();
}

void LinkControllerTest::Set(const SettingKey& setting, const std::string& value) {
  SetSetting(setting, value);
}

void LinkControllerTest::UseLink(int mode, bool server, uint16_t port) {
  Set(setting::kMode, std::to_string(mode));
  Set(setting::kActAsServer, server ? "1" : "0");
  Set(setting::kSocketHost, "127.0.0.1");
  Set(setting::kSocketPort, std::to_string(port));
}

void LinkControllerTest::OpenLink(int mode, bool server, uint16_t port) {
  UseLink(mode, server, port);
  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
}

bool LinkControllerTest::PollUntil(const std::function<bool()>& check) {
  return WaitUntil([this, &check] {
    m_Received += m_Link.Receive().bytes;
    return check();
  });
}

bool LinkControllerTest::TickUntil(const std::function<bool()>& check) {
  return WaitUntil([this, &check] {
    m_Session.ReceiveNow();
    return check();
  });
}

ByteString LinkControllerTest::ReceiveBytes(size_t count) {
  m_Received.clear();
  PollUntil([this, count] { return m_Received.size() >= count; });
  return m_Received;
}

}  // namespace linkwright
