#include "session/session.h"

#include "config/configuration.h"
#include "document/message_file.h"

Session::Session(CConfiguration& config, FrontEnd& frontEnd)
    : m_Config(config),
      m_Link(config, frontEnd),
      m_Doc(config, m_Link, frontEnd),
      m_Timers(config, m_Doc, m_Link) {}

bool Session::Failed(const std::string& reason) {
  m_LastFailure = reason;
  return false;
}

bool Session::OpenConnection() {
  TraceWriter::Batch batch(m_Link.Trace());
  return m_Timers.OpenConnection() || Failed(m_Link.LastFailure());
}

bool Session::CloseConnection() {
  TraceWriter::Batch batch(m_Link.Trace());
  return m_Timers.CloseConnection() || Failed("the link is not open");
}

bool Session::SendRow(int row) {
  TraceWriter::Batch batch(m_Link.Trace());
  return m_Doc.SendRow(row) || Failed(m_Doc.LastFailure());
}

bool Session::SendMessage(const ByteString& message) {
  TraceWriter::Batch batch(m_Link.Trace());
  return m_Link.Send(message) || Failed(m_Link.LastFailure());
}

void Session::RunDueTicks() {
  TraceWriter::Batch batch(m_Link.Trace());
  m_Timers.RunDueTicks();
  if (m_Link.WasLost()) {
    Failed("link lost: " + m_Link.LastFailure());
  }
}

void Session::ReceiveNow() {
  m_Doc.ReceiveTick(Clock::now());
}

std::vector<WaitHandle> Session::WaitHandles() const {
  return m_Timers.IsRxPolling() ? m_Link.WaitHandles() : std::vector<WaitHandle>();
}

bool Session::ToggleAutoSend() {
  m_Config.Set(setting::kAutoSendEnabled, m_Config.GetBool(setting::kAutoSendEnabled) ? "0" : "1");
  const bool saved = m_Config.Save();
  m_Timers.StartAutoSend();
  return saved ||
         Failed("the configuration could not be saved to " + CConfiguration::FilePath().string());
}

Error Session::LoadTable(const std::filesystem::path& path) {
  return LoadMessageFile(m_Doc.Table(), path);
}

Error Session::SaveTable(const std::filesystem::path& path) {
  return SaveMessageFile(m_Doc.Table(), path);
}

void Session::NewTable() {
  m_Doc.Table().ResetRows(MessageTable::kDefaultRowCount);
}
