#include "link/udp/connection.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "codec/escape_codec.h"
#include "diag/diag_log.h"
#include "link/packet_extraction.h"

namespace linkwright {

namespace {

// Above this many uncollected bytes the receive buffer is given up: a peer that never sends
// the closer must not make it grow without end.
constexpr size_t kRxBufferLimit = 4096;

constexpr const char* kNotOpen = "the connection is not open";

std::string EscapedOrNull(const std::optional<ByteString>& bytes) {
  return bytes ? BytesToText(*bytes, false) : "<null>";
}

}  // namespace

Connection::Connection() {
  SetChunkSize(1024);
}

Connection::~Connection() = default;

bool Connection::Open() {
  if (m_IsOpen) {
    return Fail(ErrorKind::kState, "the connection is already open");
  }
  const bool opened = DoOpen();
  if (opened) {
    m_IsOpen = true;
    DiscardInput();
  }
  return opened;
}

bool Connection::Close() {
  if (!m_IsOpen) {
    return Fail(ErrorKind::kState, kNotOpen);
  }
  const bool closed = DoClose();
  if (closed) {
    m_IsOpen = false;
  }
  return closed;
}

bool Connection::Send(const char* data, int32_t length) {
  if (!m_IsOpen) {
    return Fail(ErrorKind::kState, kNotOpen);
  }
  if (length < 0) {
    length = data == nullptr ? 0 : static_cast<int32_t>(std::strlen(data));
  }
  const bool sent = DoSend(data, length);
  if (length > 0) {
    DiagLog(sent ? ' ' : 'E', "<Tx (len = %d) \"%s\"", length,
            BytesToText(ByteString(data, static_cast<size_t>(length)), false).c_str());
  }
  return sent;
}

size_t Connection::Receive() {
  if (!m_IsOpen) {
    Fail(ErrorKind::kState, kNotOpen);
    return 0;
  }
  size_t count = 0;
  ByteString fresh;
  if (DoReceive(count) && count > 0) {
    fresh.assign(m_Chunk.data(), count);
    DiagLog(' ', ">Rx (len = %zu) \"%s\"", count, BytesToText(fresh, false).c_str());
  }
  if (m_RxBuffer.size() > kRxBufferLimit) {
    DiagLog('W', "Connection::Receive() : m_RxBuffer truncated; rx data lost");
    m_RxBuffer.clear();
  }
  m_RxBuffer += fresh;
  return fresh.size();
}

bool Connection::ExtractReply(const ByteString& opener, const ByteString& closer, ByteString& reply,
                              bool consume) {
  if (!opener.empty() || !closer.empty()) {
    return ExtractPacket(m_RxBuffer, opener, closer, reply, consume);
  }
  reply = m_RxBuffer;
  if (consume) {
    m_RxBuffer.clear();
  }
  return !reply.empty();
}

bool Connection::SendCommand(const ByteString& command, const std::optional<ByteString>& opener,
                             const std::optional<ByteString>& closer, ByteString& reply) {
  DiagLog('I',
          "<- Connection::SendCommand() : Command = \"%s\", Opener = \"%s\", Closer = \"%s\", "
          "Timeout = %ld [ms]\n",
          BytesToText(command, false).c_str(), EscapedOrNull(opener).c_str(),
          EscapedOrNull(closer).c_str(), static_cast<long>(m_Timeout));
  bool replied = m_IsOpen || Fail(ErrorKind::kState, kNotOpen);
  if (replied) {
    DiscardInput();
    replied = Send(command.data(), static_cast<int32_t>(command.size())) &&
              PollForReply(opener.value_or(ByteString()), closer.value_or(ByteString()), reply);
  }
  if (!replied) {
    DiagLog('E', "-> Connection::SendCommand() FAILED\n");
    return false;
  }
  DiagLog('I', "-> Connection::SendCommand() SUCCESSFULL, Reply = \"%s\"\n",
          BytesToText(reply, false).c_str());
  return true;
}

// Reads until a reply is cut or the time-out has passed since the command went out; between two
// reads waits up to one pause for input, so a prompt reply is taken at once. The wait is bounded
// by time, not by a number of reads: a burst of stray datagrams (one read each) must not use up
// the polls before the reply is read. One last read follows the last pause so that input
// arriving in it still counts.
bool Connection::PollForReply(const ByteString& opener, const ByteString& closer,
                              ByteString& reply) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(m_Timeout, 0));
  int32_t pause = m_PollInterval > 0 ? m_PollInterval : m_Timeout / 10;
  if (m_Cancelled) {
    pause = std::min(pause, static_cast<int32_t>(m_CancelCheckPeriod.count()));
  }
  for (;;) {
    if (Receive() > 0 && ExtractReply(opener, closer, reply, true)) {
      return true;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      return Fail(ErrorKind::kTimeout, "no reply within " + std::to_string(m_Timeout) + " ms");
    }
    if (m_Cancelled && m_Cancelled()) {
      return Fail(ErrorKind::kStopped, "stopped while waiting for a reply");
    }
    WaitForInput(static_cast<int32_t>(std::clamp<int64_t>(pause, 1, left.count())));
  }
}

void Connection::SetChunkSize(int32_t n) {
  if (n <= 0) {
    return;
  }
  m_ChunkSize = n;
  m_Chunk.assign(static_cast<size_t>(n), '\0');
}

void Connection::DiscardInput() {
  Receive();
  m_RxBuffer.clear();
}

void Connection::WaitForInput(int32_t milliseconds) {
  if (milliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

}  // namespace linkwright
