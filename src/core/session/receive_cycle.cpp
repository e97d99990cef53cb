#include "session/receive_cycle.h"

#include <algorithm>

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

}  // namespace

ReceiveCycle::ReceiveCycle(const CConfiguration& config) : m_Config(config) {}

void ReceiveCycle::ReceiveTick(CLinkController& link, const PacketHandler& offer) {
  const ByteString chunk = link.IsOpen() ? link.Receive() : ByteString();
  const std::vector<ByteString> packets =
      chunk.empty() ? TakeTimedOutPacket(link) : TakeArrivedPackets(link, chunk);
  for (const ByteString& packet : packets) {
    offer(packet);
  }
}

std::vector<ByteString> ReceiveCycle::TakeArrivedPackets(CLinkController& link,
                                                         const ByteString& chunk) {
  link.m_LastRxTick = TickCount();
  if (m_Config.GetInt("Connection", "Mode") != kModeXmodem) {
    return CutPackets(link, chunk);
  }
  m_Cutter.Clear(link.m_RxPacket);
  link.Trace().Write(chunk, TraceDirection::kReceived, true);
  return {chunk};
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
