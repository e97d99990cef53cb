#include "session/receive_cycle.h"

#include <algorithm>
#include <chrono>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "diag/diag_log.h"
#include "front_end/trace_text.h"
#include "link/commkit/packet_extraction.h"
#include "link/link_controller.h"
#include "tick_count.h"

namespace {

// Traces a chunk with a line end after each packet that ends inside it.
void TraceChunk(TraceWriter& trace, const ByteString& chunk, size_t chunkAt,
                const std::vector<PacketSpan>& packets) {
  size_t shown = 0;
  for (const PacketSpan& packet : packets) {
    if (packet.end > chunkAt) {
      const size_t lineEnd = packet.end - chunkAt;
      trace.Write(chunk.substr(shown, lineEnd - shown), TraceDirection::kReceived, true);
      shown = lineEnd;
    }
  }
  if (shown < chunk.size()) {
    trace.Write(chunk.substr(shown), TraceDirection::kReceived, false);
  }
}

void LogPacketMatches(const ByteString& buffer, const std::vector<PacketSpan>& packets,
                      size_t openerSize, size_t closerSize) {
  if (packets.empty()) {
    commkit::LogMatchNotFound();
  }
  for (const PacketSpan& packet : packets) {
    const size_t bodyAt = packet.begin + openerSize;
    commkit::LogMatchFound(buffer.substr(bodyAt, packet.end - closerSize - bodyAt));
  }
}

void OfferAll(const std::vector<ByteString>& packets, const ReceiveCycle::PacketHandler& offer) {
  for (const ByteString& packet : packets) {
    offer(packet);
  }
}

}  // namespace

ReceiveCycle::ReceiveCycle(const CConfiguration& config) : m_Config(config) {}

bool ReceiveCycle::ReceiveTick(CLinkController& link, const PacketHandler& offer) {
  const auto deadline = std::chrono::steady_clock::now() + kTickWorkLimit;
  ByteString chunk = ReceiveChunk(link);
  if (chunk.empty()) {
    OfferAll(TakeTimedOutPacket(link), offer);
    return false;
  }
  if (m_Config.GetInt("Connection", "Mode") != kModeXmodem) {
    return TakeWaitingChunks(link, std::move(chunk), deadline, offer);
  }
  // An Xmodem chunk is one whole transfer, the tick's one packet.
  m_Cutter.Clear(link.m_RxPacket);
  link.Trace().Write(chunk, TraceDirection::kReceived, true);
  offer(chunk);
  return false;
}

ByteString ReceiveCycle::ReceiveChunk(CLinkController& link) {
  ByteString chunk = link.IsOpen() ? link.Receive() : ByteString();
  if (!chunk.empty()) {
    link.m_LastRxTick = TickCount();
  }
  return chunk;
}

bool ReceiveCycle::TakeWaitingChunks(CLinkController& link, ByteString chunk,
                                     std::chrono::steady_clock::time_point deadline,
                                     const PacketHandler& offer) {
  do {
    OfferAll(CutPackets(link, chunk), offer);
    if (std::chrono::steady_clock::now() >= deadline) {
      return true;
    }
    chunk = ReceiveChunk(link);
  } while (!chunk.empty());
  return false;
}

std::vector<ByteString> ReceiveCycle::CutPackets(CLinkController& link, const ByteString& chunk) {
  const ByteString opener = TextToBytes(m_Config.GetString("Connection", "PacketOpener"));
  const ByteString closer = TextToBytes(m_Config.GetString("Connection", "PacketCloser"));
  ByteString& buffer = link.m_RxPacket;
  const size_t chunkAt = buffer.size();
  m_Cutter.Append(buffer, chunk);

  const std::vector<PacketSpan> spans = m_Cutter.FindPackets(buffer, opener, closer);
  TraceChunk(link.Trace(), chunk, chunkAt, spans);
  if (!closer.empty()) {
    LogPacketMatches(buffer, spans, opener.size(), closer.size());
  }
  std::vector<ByteString> packets;
  packets.reserve(spans.size());
  for (const PacketSpan& span : spans) {
    packets.push_back(buffer.substr(span.begin, span.end - span.begin));
  }

  // One erase for everything cut in this tick, and for the overflow of the buffer.
  const size_t cut = spans.empty() ? 0 : spans.back().end;
  const size_t overflow = buffer.size() > kMaxRxPacket ? buffer.size() - kMaxRxPacket : 0;
  if (overflow > cut) {
    DiagLog('W', "CLinkwrightDoc::ReceiveTick() packet buffer full, %zu oldest bytes dropped",
            overflow - cut);
  }
  m_Cutter.Discard(buffer, std::max(cut, overflow));
  return packets;
}

std::vector<ByteString> ReceiveCycle::TakeTimedOutPacket(CLinkController& link) {
  const int32_t timeout = m_Config.GetInt("Connection", "PacketBreakTimeout");
  const uint32_t now = TickCount();
  if (timeout <= 0 || now - link.m_LastRxTick <= static_cast<uint32_t>(timeout)) {
    return {};
  }
  ByteString packet = std::move(link.m_RxPacket);
  m_Cutter.Clear(link.m_RxPacket);
  link.m_LastRxTick = now;
  if (packet.empty()) {
    return {};
  }
  // Ends the line on which the packet's pieces were shown.
  link.Trace().Write({}, TraceDirection::kReceived, true);
  return {std::move(packet)};
}
