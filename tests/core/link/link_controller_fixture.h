#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "config/config_keys.h"
#include "link/link_controller.h"
#include "session/session.h"
#include "support/loopback_socket.h"
#include "support/recording_front_end.h"

namespace linkwright {

// Calls `check` until it returns true or the patience runs out; returns the last result.
bool WaitUntil(const std::function<bool()>& check);

// A controller over the process-wide configuration, reset to the defaults, inside a session that
// shows what it reports to a recording front-end.
class LinkControllerTest : public ::testing::Test {
 protected:
  LinkControllerTest();
  ~LinkControllerTest() override;

  void Set(const SettingKey& setting, const std::string& value);
  void UseLink(int mode, bool server, uint16_t port);
  // UseLink, then opens the session's connection, failing the test when the link does not open.
  void OpenLink(int mode, bool server, uint16_t port);

  // Polls Receive, collecting into m_Received, until `check` holds or the patience runs out.
  bool PollUntil(const std::function<bool()>& check);
  // Runs the session's receive ticks until `check` holds or the patience runs out.
  bool TickUntil(const std::function<bool()>& check);
  // Empties m_Received and polls until it holds at least `count` bytes; returns it.
  ByteString ReceiveBytes(size_t count);

  RecordingFrontEnd m_FrontEnd;
  Session m_Session;
  LinkController& m_Link;
  ByteString m_Received;
};

}  // namespace linkwright
