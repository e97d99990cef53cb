#include "support/linked_session_fixture.h"

#include <thread>

#include "config/configuration.h"
#include "diag/diag_log.h"
#include "support/default_configuration.h"

namespace linkwright {

namespace {

// The offset of the level character in "|module              |L|text\n".
constexpr size_t kLevelAt = 22;
const std::string kOfferPrefix = "AutoReply test for \"";

}  // namespace

LinkedSessionTest::LinkedSessionTest()
    : m_Session(GetConfiguration(), m_FrontEnd),
      m_Link(m_Session.Link()),
      m_Doc(m_Session.Document()),
      m_Table(m_Doc.Table()) {
  ResetConfigurationToDefaults();
  m_Table.AddListener(this);
  m_Table.ResetRows(MessageTable::kDefaultRowCount);
  SetDiagSink([this](std::string_view line) {
    if (line.size() > kLevelAt + 2) {
      std::string text(line.substr(kLevelAt + 2));
      if (!text.empty() && text.back() == '\n') {
        text.pop_back();
      }
      m_Log.push_back({line[kLevelAt], text});
    }
  });
}

LinkedSessionTest::~LinkedSessionTest() {
  m_Table.RemoveListener(this);
  SetDiagSink(nullptr);
  if (m_Link.IsOpen()) {
    m_Link.Close();
  }
}

LoopbackSocket LinkedSessionTest::UseTcpClientLink() {
  LoopbackSocket listener = LoopbackSocket::TcpListener();
  SetSetting(setting::kMode, "1");
  SetSetting(setting::kActAsServer, "0");
  SetSetting(setting::kSocketPort, std::to_string(listener.Port()));
  return listener;
}

void LinkedSessionTest::OpenTcpClientLink() {
  LoopbackSocket listener = UseTcpClientLink();
  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  m_Peer = listener.Accept();
  ASSERT_TRUE(m_Peer.valid());
}

void LinkedSessionTest::OpenTcpServerLink() {
  SetSetting(setting::kMode, "1");
  SetSetting(setting::kActAsServer, "1");
  const uint16_t port = UnusedTcpPortNumber();
  m_LinkTcpPort = port;
  SetSetting(setting::kSocketPort, std::to_string(port));
  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  m_Peer = LoopbackSocket::TcpConnect(port);
  ASSERT_TRUE(m_Peer.valid());
  ASSERT_TRUE(TickUntil([this] { return m_FrontEnd.state == LinkState::kTcpServerWithPeer; }));
}

void LinkedSessionTest::FocusChanged(int /*focusedRow*/, int selectedRow) {
  if (selectedRow != MessageTable::kNoRow) {
    m_SelectedRows.push_back(selectedRow);
  }
}

void LinkedSessionTest::OpenUdpServerLink() {
  SetSetting(setting::kMode, "2");
  SetSetting(setting::kActAsServer, "1");
  m_LinkUdpPort = UnusedUdpPortNumber();
  SetSetting(setting::kSocketPort, std::to_string(m_LinkUdpPort));
  ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  m_Peer = LoopbackSocket::Udp();
}

void LinkedSessionTest::OpenScriptedLink() {
  m_Script = std::make_shared<ScriptedTransport::Script>();
  ASSERT_TRUE(m_Link.OpenWith(std::make_unique<ScriptedTransport>(m_Script)));
}

void LinkedSessionTest::PeerSends(const std::string& bytes) {
  if (m_Script) {
    m_Script->Add(bytes);
    return;
  }
  const bool sent = m_LinkUdpPort != 0 ? m_Peer.SendTo(m_LinkUdpPort, bytes) : m_Peer.Write(bytes);
  ASSERT_TRUE(sent);
}

void LinkedSessionTest::Tick() {
  m_Session.ReceiveTick(m_Script ? m_Now : ReceiveCycle::Clock::now());
}

bool LinkedSessionTest::TickUntil(const std::function<bool()>& check) {
  if (m_Script) {
    for (size_t ticks = m_Script->arrivals.size() + 1; !check(); --ticks) {
      if (ticks == 0) {
        return false;
      }
      Tick();
    }
    return true;
  }
  const auto deadline = std::chrono::steady_clock::now() + LoopbackSocket::kPatience;
  while (!check()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Tick();
  }
  return true;
}

void LinkedSessionTest::DeliverChunk(const std::string& bytes, const std::string& traceText) {
  const std::string expected = m_FrontEnd.trace + traceText;
  PeerSends(bytes);
  EXPECT_TRUE(TickUntil([&] { return m_FrontEnd.trace.size() >= expected.size(); }))
      << "trace so far: " << m_FrontEnd.trace;
  EXPECT_EQ(m_FrontEnd.trace, expected);
}

std::vector<std::string> LinkedSessionTest::OfferedPackets() const {
  std::vector<std::string> packets;
  for (const LogLine& line : m_Log) {
    if (line.level == ' ' && line.text.starts_with(kOfferPrefix)) {
      packets.push_back(
          line.text.substr(kOfferPrefix.size(), line.text.size() - kOfferPrefix.size() - 1));
    }
  }
  return packets;
}

int LinkedSessionTest::CountLog(char level, const std::string& text) const {
  int count = 0;
  for (const LogLine& line : m_Log) {
    count += line.level == level && line.text == text ? 1 : 0;
  }
  return count;
}

void LinkedSessionTest::SetReplyRow(int row, const std::string& trigger,
                                    const std::string& message) {
  m_Table.SetItemText(row, MessageTable::kMessageColumn, message);
  m_Table.SetItemText(row, MessageTable::kTriggerColumn, trigger);
  m_Table.SetActive(row, 1);
}

}  // namespace linkwright
