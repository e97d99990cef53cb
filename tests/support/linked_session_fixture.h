#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/link_controller.h"
#include "session/message_document.h"
#include "session/session.h"
#include "support/loopback_socket.h"
#include "support/recording_front_end.h"
#include "support/scripted_transport.h"

namespace linkwright {

// A session whose link controller runs on loopback, with the default settings, a recording
// front-end, the rows the table selects and the diagnostic log captured. The test's socket is
// the far end of the link.
class LinkedSessionTest : public ::testing::Test, public MessageTableListener {
 protected:
  struct LogLine {
    char level;
    std::string text;
  };

  LinkedSessionTest();
  ~LinkedSessionTest() override;

  // Sets up the link as TCP client of a new listener of the test, which it returns.
  LoopbackSocket UseTcpClientLink();
  // The link as TCP client of the test's listener; m_Peer is the accepted connection.
  void OpenTcpClientLink();
  // The link as TCP server; m_Peer connects and is taken in by the receive ticks.
  void OpenTcpServerLink();
  // The link as UDP server; m_Peer is a UDP socket that sends to it.
  void OpenUdpServerLink();
  // The link over a scripted transport: the far end's sends are queued arrivals, and ticks run
  // on a manual clock that only Pass moves.
  void OpenScriptedLink();

  // Sends bytes from the far end (TCP or UDP, as the link was opened).
  void PeerSends(const std::string& bytes);

  // One receive tick at the current time (the manual clock's over a scripted link).
  void Tick();
  // Moves the manual clock on.
  void Pass(std::chrono::milliseconds time) { m_Now += time; }
  // Runs receive ticks until `check` holds; false when it did not within the patience (over a
  // scripted link: within as many ticks as the script has arrivals, plus one).
  bool TickUntil(const std::function<bool()>& check);
  // Sends bytes from the far end and ticks until the trace has grown by `traceText`.
  void DeliverChunk(const std::string& bytes, const std::string& traceText);

  // Every packet offered to AutoReply so far, in the escape form of its log line.
  std::vector<std::string> OfferedPackets() const;
  int CountLog(char level, const std::string& text) const;

  // Makes row `row` active with a trigger and a message.
  void SetReplyRow(int row, const std::string& trigger, const std::string& message);

  void FocusChanged(int focusedRow, int selectedRow) override;

  RecordingFrontEnd m_FrontEnd;
  Session m_Session;
  LinkController& m_Link;
  MessageDocument& m_Doc;
  MessageTable& m_Table;
  LoopbackSocket m_Peer = LoopbackSocket::Udp();
  uint16_t m_LinkUdpPort = 0;
  uint16_t m_LinkTcpPort = 0;
  std::shared_ptr<ScriptedTransport::Script> m_Script;
  ReceiveCycle::Clock::time_point m_Now;
  std::vector<LogLine> m_Log;
  // Every row the table selected, in order.
  std::vector<int> m_SelectedRows;
};

}  // namespace linkwright
