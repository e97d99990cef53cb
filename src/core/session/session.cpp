#include "session/session.h"

#include <cstdio>

#include "config/configuration.h"
#include "document/message_file.h"
#include "front_end/front_end.h"
#include "front_end/result_beep.h"

namespace linkwright {

namespace {

constexpr const char* kOnlyOnePeer = "Only allow one message socket at a time";

}  // namespace

Session::Session(Configuration& config, FrontEnd& frontEnd)
    : m_Config(config),
      m_FrontEnd(frontEnd),
      m_Trace(config, frontEnd),
      m_Link(config),
      m_Doc(config, m_Trace),
      m_Timers(config) {}

Session::Scope::Scope(Session& session, Sends sends)
    : m_Session(session), m_Batch(session.m_Trace), m_Gathering(sends == Sends::kGathered) {
  if (m_Gathering) {
    m_Session.m_Link.StartGathering();
  }
}

Session::Scope::~Scope() {
  if (m_Gathering && !m_Session.m_Link.EndGathering()) {
    m_Session.PlayBeep(false);
  }
  m_Session.ShowLinkChanges();
}

bool Session::FailOfLink(const std::string& label) {
  const Error& error = m_Link.LastError();
  return Fail(error.Kind(), label + error.Message());
}

bool Session::OpenConnection() {
  Scope scope(*this);
  if (!m_Link.NeedsNoOpening()) {
    // Opening resets the sent count; a link already open keeps it.
    const bool resetsCount = !m_Link.IsOpen();
    const bool opened = m_Link.Open();
    if (resetsCount) {
      ShowTxCount();
    }
    PlayBeep(opened);
    if (!opened) {
      return FailOfLink();
    }
  }
  m_Timers.StartRxPolling();
  StartAutoSend();
  return true;
}

bool Session::CloseConnection() {
  Scope scope(*this);
  if (!m_Link.Close()) {
    return FailOfLink();
  }
  m_Timers.StopTimers();
  return true;
}

bool Session::CloseMessageSocket() {
  Scope scope(*this);
  return m_Link.CloseMessageSocket() || FailOfLink();
}

bool Session::SendRow(int row) {
  Scope scope(*this);
  return SendRowMessage(row, false);
}

bool Session::ApplyLineCommand(const LineCommand& command) {
  Scope scope(*this);
  return m_Link.ApplyLineCommand(command) || FailOfLink();
}

bool Session::SendMessage(const ByteString& message) {
  Scope scope(*this);
  return SendTraced(message) || FailOfLink();
}

std::string Session::NoRowFailure(const std::string& row, int rowCount) {
  return "no row " + row + " (rows are 1 … " + std::to_string(rowCount) + ")";
}

bool Session::SendRowMessage(int row, bool byAutoReply) {
  const size_t repliesBefore = m_Link.ExchangeReplies();
  const bool sent = SendRowBytes(row);
  if (sent) {
    m_Doc.Statistics().RowSent(row, byAutoReply);
    // Over an exchanging link the answer came back within the send.
    if (m_Link.ExchangeReplies() != repliesBefore) {
      m_Doc.Statistics().PacketCut();
    }
  }
  PlayBeep(sent);
  return sent;
}

bool Session::SendRowBytes(int row) {
  const MessageTable& table = m_Doc.Table();
  if (!table.IsMessageRow(row)) {
    return Fail(ErrorKind::kInput, NoRowFailure(std::to_string(row), table.RowCount()));
  }
  // A copy: sending may run AutoReply on an exchange's answer, which prepares other rows.
  const ByteString message = m_Doc.MessageBytes(row);
  if (message.empty()) {
    return Fail(ErrorKind::kInput, RowLabel(row) + "no message");
  }
  if (!m_Link.IsOpen()) {
    return Fail(ErrorKind::kState, RowLabel(row) + "the link is not open");
  }
  return SendTraced(message) || FailOfLink(RowLabel(row));
}

std::string Session::RowLabel(int row) {
  return "row " + std::to_string(row) + ": ";
}

bool Session::SendTraced(const ByteString& message) {
  if (m_Config.GetBool(setting::kClearTextOnSend)) {
    m_Trace.Clear();
  }
  SentLines lines;
  const bool sent = m_Link.Send(message, lines);
  if (lines.message) {
    m_Trace.Write(message, TraceDirection::kSent, true);
  }
  for (const ByteString& reply : lines.replies) {
    m_Trace.Write(reply, TraceDirection::kReceived, true);
    ObservePacket(reply);
  }
  return sent;
}

void Session::RunDueTicks() {
  Scope scope(*this);
  if (m_Timers.TakeRxDue()) {
    const bool cutShort = ReceiveTick(Clock::now());
    if (m_Link.WasLost()) {
      m_Timers.StopTimers();
      Fail(ErrorKind::kPeer, "link lost: " + m_Link.LastError().Message());
      return;
    }
    m_Timers.RxTickRan(cutShort);
  }
  if (m_Timers.TakeAutoSendDue()) {
    AutoSendStep();
    StartAutoSend();
  }
}

bool Session::ReceiveTick(Clock::time_point now) {
  Scope scope(*this, Scope::Sends::kGathered);
  ReceiveCycle& cycle = m_Doc.Receiving();
  // The work limit is the processor's time, not the tick's.
  const Clock::time_point workEnd = Clock::now() + ReceiveCycle::kTickWorkLimit;
  for (bool first = true;; first = false) {
    const Arrival arrival = m_Link.IsOpen() ? m_Link.Receive() : Arrival();
    ShowRefusedPeers(arrival);
    if (!arrival.report.empty()) {
      m_Trace.WriteReport(arrival.report);
    }
    if (!ReceiveCycle::Brings(arrival)) {
      if (first) {
        OfferPackets(cycle.TakeTimedOutPacket(now));
      }
      return false;
    }
    OfferPackets(cycle.TakeArrival(arrival, now));
    // The replies to one chunk's packets leave together.
    SendGathered();
    // An Xmodem transfer is the tick's one packet.
    if (arrival.wholeMessage) {
      return false;
    }
    if (Clock::now() >= workEnd) {
      return true;
    }
  }
}

void Session::ShowRefusedPeers(const Arrival& arrival) {
  for (int i = 0; i < arrival.refusedPeers; ++i) {
    m_FrontEnd.ShowNotice(kOnlyOnePeer);
  }
}

void Session::OfferPackets(const PacketList& packets) {
  for (size_t i = 0; i < packets.Count(); ++i) {
    m_Doc.Statistics().PacketCut();
    ObservePacket(packets.At(i));
    AutoReply(packets.At(i));
  }
}

void Session::ObservePacket(std::string_view packet) {
  if (const std::shared_ptr<const PacketObserver> observer = m_PacketObserver.lock()) {
    (*observer)(packet);
  }
}

bool Session::AutoReply(std::string_view packet) {
  const int row = m_Doc.AutoReplyRow(packet);
  if (row == 0) {
    return false;
  }
  SendRowMessage(row, true);
  return true;
}

bool Session::AutoSendStep() {
  Scope scope(*this);
  const int row = m_Doc.AutoSendRow();
  if (row == 0) {
    return false;
  }
  SendRowMessage(row, false);
  return true;
}

void Session::SendGathered() {
  if (!m_Link.SendGathered()) {
    PlayBeep(false);
  }
}

std::vector<WaitHandle> Session::WaitHandles() const {
  return m_Timers.IsRxPolling() ? m_Link.WaitHandles() : std::vector<WaitHandle>();
}

bool Session::ToggleAutoSend() {
  m_Config.Set(setting::kAutoSendEnabled, m_Config.GetBool(setting::kAutoSendEnabled) ? "0" : "1");
  const bool saved = m_Config.Save();
  StartAutoSend();
  return saved || Fail(ErrorKind::kSystem, "the configuration could not be saved to " +
                                               Configuration::FilePath().string());
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

void Session::UpdateStatus() {
  LinkStatus status = m_Link.Status();
  if (status != m_ShownStatus) {
    m_FrontEnd.ShowLinkStatus(status.description, status.state);
    m_ShownStatus = std::move(status);
  }
}

void Session::ShowLinkChanges() {
  if (m_Link.TxCount() != m_ShownTxCount) {
    ShowTxCount();
  }
  UpdateStatus();
}

void Session::ShowTxCount() {
  m_ShownTxCount = m_Link.TxCount();
  char text[32];
  std::snprintf(text, sizeof text, "Tx: %ld", static_cast<long>(m_ShownTxCount));
  m_FrontEnd.SetTxPaneText(text);
}

void Session::PlayBeep(bool result) {
  PlayResultBeep(m_Config, m_FrontEnd, result);
}

}  // namespace linkwright
