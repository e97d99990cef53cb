#include "link/link_controller.h"

#include <utility>

#include "config/configuration.h"
#include "diag/diag_log.h"

namespace linkwright {

namespace {

// What one Receive hands back at most: small enough that the receive cycle, which takes chunks
// until its time limit, checks the time often, large enough to cost few system calls.
constexpr size_t kMaxReceive = 64 << 10;

}  // namespace

LinkController::LinkController(const Configuration& config) : m_Config(config) {}

LinkController::~LinkController() = default;

Transport& LinkController::Active() const {
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

bool LinkController::IsOpen() const {
  return Active().IsOpen();
}

bool LinkController::NeedsNoOpening() const {
  return !m_Opened && Active().IsOpen();
}

bool LinkController::Open() {
  if (m_Opened) {
    return Fail(ErrorKind::kState, "the link is already open");
  }
  Active();
  return OpenWith(std::move(m_Configured));
}

bool LinkController::OpenWith(std::unique_ptr<Transport> transport) {
  ClearError();
  m_TxCount = 0;
  transport->SetMonitor(m_Monitor);
  if (!transport->Open()) {
    return Fail(transport->LastError());
  }
  m_Opened = std::move(transport);
  m_NewLink = true;
  m_WasLost = false;
  return true;
}

bool LinkController::Close() {
  if (!m_Opened) {
    return Fail(ErrorKind::kState, "the link is not open");
  }
  if (!m_Opened->Close()) {
    return Fail(m_Opened->LastError());
  }
  m_Opened.reset();
  return true;
}

bool LinkController::CloseMessageSocket() {
  return Active().DropPeer() || Fail(ErrorKind::kState, "no TCP peer connected");
}

bool LinkController::ApplyLineCommand(const LineCommand& command) {
  if (!m_Opened) {
    return Fail(ErrorKind::kState, "the link is not open");
  }
  return m_Opened->ApplyLineCommand(command) || Fail(m_Opened->LastError());
}

std::optional<ModemStatus> LinkController::ReadModemStatus() const {
  return m_Opened ? m_Opened->ReadModemStatus() : std::nullopt;
}

void LinkController::SetTransferMonitor(const TransferMonitor& monitor) {
  m_Monitor = monitor;
  // A link that needs no opening (the UDP client) exchanges through the configured transport.
  if (m_Opened) {
    m_Opened->SetMonitor(monitor);
  }
  if (m_Configured) {
    m_Configured->SetMonitor(monitor);
  }
}

bool LinkController::Send(const ByteString& message) {
  SentLines ignored;
  return Send(message, ignored);
}

bool LinkController::Send(const ByteString& message, SentLines& lines) {
  ClearError();
  if (!IsOpen()) {
    return Fail(ErrorKind::kState, "the link is not open");
  }
  Transport& transport = Active();
  const SendTracing tracing = transport.Tracing();
  lines.message = tracing == SendTracing::kExchange;
  if (!transport.Send(message)) {
    return Fail(transport.LastError());
  }
  lines.message = tracing != SendTracing::kResponseOnly;
  lines.replies = transport.TakeReply();
  m_ExchangeReplies += lines.replies.size();
  ++m_TxCount;
  return true;
}

void LinkController::StartGathering() {
  if (m_Opened) {
    m_Opened->StartGathering();
    m_Gathering = true;
  }
}

bool LinkController::EndGathering() {
  if (!std::exchange(m_Gathering, false) || !m_Opened || m_Opened->EndGathering()) {
    return true;
  }
  Fail(m_Opened->LastError());
  DiagLog('W', "CLinkController::Send() gathered messages not sent: %s",
          LastError().Message().c_str());
  return false;
}

bool LinkController::SendGathered() {
  if (!m_Gathering) {
    return true;
  }
  const bool sent = EndGathering();
  StartGathering();
  return sent;
}

std::vector<WaitHandle> LinkController::WaitHandles() const {
  return m_Opened ? m_Opened->WaitHandles() : std::vector<WaitHandle>();
}

Arrival LinkController::Receive() {
  if (!m_Opened) {
    return {};
  }
  Arrival arrival = m_Opened->TakeWaiting(kMaxReceive);
  if (std::exchange(m_NewLink, false)) {
    arrival.newPeerAt = 0;
  }
  if (arrival.lost) {
    LoseLink();
  }
  return arrival;
}

void LinkController::LoseLink() {
  Fail(ErrorKind::kPeer, m_Opened->LastError().Message());
  DiagLog('W', "CLinkController::Receive() link lost: %s", LastError().Message().c_str());
  m_Opened->Close();
  m_Opened.reset();
  m_WasLost = true;
}

LinkStatus LinkController::Status() const {
  const Transport& transport = Active();
  return {transport.Description(), transport.State()};
}

}  // namespace linkwright
