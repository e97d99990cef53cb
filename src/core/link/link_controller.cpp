#include "link/link_controller.h"

#include <utility>

#include <cstdio>

#include "config/configuration.h"
#include "diag/diag_log.h"
#include "front_end/result_beep.h"

namespace {

// What one Receive hands back at most: small enough that the receive cycle, which takes chunks
// until its time limit, checks the time often, large enough to cost few system calls.
constexpr size_t kMaxReceive = 64 << 10;

constexpr const char* kOnlyOnePeer = "Only allow one message socket at a time";

}  // namespace

CLinkController::CLinkController(const CConfiguration& config, FrontEnd& frontEnd)
    : m_Config(config), m_FrontEnd(frontEnd), m_Trace(config, frontEnd) {}

CLinkController::~CLinkController() = default;

Transport& CLinkController::Active() const {
  if (m_Opened) {
    return *m_Opened;
  }
  const LinkKind kind = ConfiguredLinkKind(m_Config);
  if (!m_Configured || kind != m_ConfiguredKind) {
    m_Configured = MakeTransport(kind, m_Config);
    m_Configured->SetMonitor(m_Monitor);
    m_ConfiguredKind = kind;
  }
  return *m_Configured;
}

bool CLinkController::IsOpen() const {
  return Active().IsOpen();
}

bool CLinkController::NeedsNoOpening() const {
  return !m_Opened && Active().IsOpen();
}

bool CLinkController::Failed(const std::string& reason) {
  m_LastFailure = reason;
  return false;
}

bool CLinkController::Open() {
  if (m_Opened) {
    m_LastFailure = "the link is already open";
    PlayResultBeep(m_Config, m_FrontEnd, false);
    return false;
  }
  Active();
  return OpenWith(std::move(m_Configured));
}

bool CLinkController::OpenWith(std::unique_ptr<Transport> transport) {
  m_LastFailure.clear();
  m_TxCount = 0;
  ShowTxCount();
  transport->SetMonitor(m_Monitor);
  const bool result = transport->Open() || Failed(transport->LastError().Message());
  if (result) {
    m_Opened = std::move(transport);
    m_NewLink = true;
    m_WasLost = false;
  }
  UpdateStatus();
  PlayResultBeep(m_Config, m_FrontEnd, result);
  return result;
}

bool CLinkController::Close() {
  if (!m_Opened) {
    return false;
  }
  const bool closed = m_Opened->Close();
  if (closed) {
    m_Opened.reset();
  }
  UpdateStatus();
  return closed;
}

bool CLinkController::CloseMessageSocket() {
  const bool closed = Active().DropPeer();
  UpdateStatus();
  return closed;
}

void CLinkController::SetTransferMonitor(const TransferMonitor& monitor) {
  m_Monitor = monitor;
  // A link that needs no opening (the UDP client) exchanges through the configured transport.
  if (m_Opened) {
    m_Opened->SetMonitor(monitor);
  }
  if (m_Configured) {
    m_Configured->SetMonitor(monitor);
  }
}

bool CLinkController::Send(const ByteString& message) {
  m_LastFailure.clear();
  if (m_Config.GetBool(setting::kClearTextOnSend)) {
    m_Trace.Clear();
  }
  if (!IsOpen()) {
    return Failed("the link is not open");
  }
  Transport& transport = Active();
  const SendTracing tracing = transport.Tracing();
  if (tracing == SendTracing::kExchange) {
    m_Trace.Write(message, TraceDirection::kSent, true);
  }
  if (!transport.Send(message)) {
    // A failed send may have dropped the peer.
    UpdateStatus();
    return Failed(transport.LastError().Message());
  }
  if (tracing == SendTracing::kSentLine) {
    m_Trace.Write(message, TraceDirection::kSent, true);
  }
  TraceReply();
  ++m_TxCount;
  // While gathering, the count is shown once, when the gathering ends.
  if (!m_Gathering) {
    ShowTxCount();
  }
  return true;
}

CLinkController::SendGathering::SendGathering(CLinkController& link) : m_Link(link) {
  if (m_Link.m_Opened) {
    m_Link.m_Opened->StartGathering();
    m_Link.m_Gathering = true;
  }
}

CLinkController::SendGathering::~SendGathering() {
  m_Link.EndGathering();
}

void CLinkController::EndGathering() {
  if (!std::exchange(m_Gathering, false)) {
    return;
  }
  ShowTxCount();
  if (m_Opened && !m_Opened->EndGathering()) {
    Failed(m_Opened->LastError().Message());
    DiagLog('W', "CLinkController::Send() gathered messages not sent: %s", m_LastFailure.c_str());
    UpdateStatus();
    PlayResultBeep(m_Config, m_FrontEnd, false);
  }
}

void CLinkController::TraceReply() {
  for (const ByteString& line : Active().TakeReply()) {
    m_Trace.Write(line, TraceDirection::kReceived, true);
    ++m_ExchangeReplies;
  }
}

Arrival CLinkController::Receive() {
  if (!m_Opened) {
    return {};
  }
  Arrival arrival = m_Opened->TakeWaiting(kMaxReceive);
  if (std::exchange(m_NewLink, false)) {
    arrival.newPeerAt = 0;
  }
  for (int i = 0; i < arrival.refusedPeers; ++i) {
    m_FrontEnd.ShowNotice(kOnlyOnePeer);
  }
  if (arrival.lost) {
    LoseLink();
  } else if (arrival.statusChanged) {
    UpdateStatus();
  }
  return arrival;
}

void CLinkController::LoseLink() {
  m_LastFailure = m_Opened->LastError().Message();
  DiagLog('W', "CLinkController::Receive() link lost: %s", m_LastFailure.c_str());
  m_Opened->Close();
  m_Opened.reset();
  m_WasLost = true;
  UpdateStatus();
}

void CLinkController::UpdateStatus() {
  const Transport& transport = Active();
  m_FrontEnd.ShowLinkStatus(transport.Description(), transport.State());
}

void CLinkController::ShowTxCount() {
  char text[32];
  std::snprintf(text, sizeof text, "Tx: %ld", static_cast<long>(m_TxCount));
  m_FrontEnd.SetTxPaneText(text);
}
