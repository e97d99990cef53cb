#include "session/receive_cycle.h"

#include <algorithm>

#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "diag/diag_log.h"
#include "front_end/trace_text.h"
#include "link/packet_extraction.h"
#include "link/transport.h"

namespace linkwright {

namespace {

// Traces a chunk with a line end after each packet that ends inside it.
void TraceChunk(TraceWriter& trace, std::string_view chunk, size_t chunkAt,
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

void LogPacketMatches(std::string_view buffer, const std::vector<PacketSpan>& packets,
                      size_t openerSize, size_t closerSize) {
  if (packets.empty()) {
    LogMatchNotFound();
  }
  for (const PacketSpan& packet : packets) {
    const size_t bodyAt = packet.begin + openerSize;
    // A view: with the log off the body is never looked at, so it must cost no copy.
    LogMatchFound(buffer.substr(bodyAt, packet.end - closerSize - bodyAt));
  }
}

}  // namespace

ReceiveCycle::ReceiveCycle(const Configuration& config, TraceWriter& trace)
    : m_Config(config), m_Trace(trace) {}

bool ReceiveCycle::Brings(const Arrival& arrival) {
  return !arrival.bytes.empty() || arrival.newPeerAt.has_value();
}

PacketList ReceiveCycle::TakeArrival(const Arrival& arrival, Clock::time_point now) {
  m_LastRxTime = now;
  if (arrival.bytes.empty()) {
    // A peer that came without bytes yet.
    StartNewPeer();
    return {};
  }
  return Counted(TakeArrivedPackets(arrival));
}

PacketList ReceiveCycle::Counted(PacketList packets) {
  m_PacketCount += packets.Count();
  return packets;
}

PacketList ReceiveCycle::TakeArrivedPackets(const Arrival& arrival) {
  PacketList packets;
  if (arrival.wholeMessage) {
    m_Cutter.Clear(m_RxPacket);
    m_Trace.Write(arrival.bytes, TraceDirection::kReceived, true);
    packets.Add(arrival.bytes);
    return packets;
  }
  // Views, not copies: a chunk is up to 64 kB and is copied into the packet buffer anyway.
  const std::string_view bytes = arrival.bytes;
  const size_t newPeerAt = std::min(arrival.newPeerAt.value_or(bytes.npos), bytes.size());
  CutPackets(bytes.substr(0, newPeerAt), packets);
  if (arrival.newPeerAt) {
    StartNewPeer();
    CutPackets(bytes.substr(newPeerAt), packets);
  }
  return packets;
}

void ReceiveCycle::StartNewPeer() {
  if (!m_RxPacket.empty()) {
    DiagLog('W', "CLinkwrightDoc::ReceiveTick() new peer, %zu bytes of the previous one dropped",
            m_RxPacket.size());
    EndTraceLine();
  }
  m_Cutter.Clear(m_RxPacket);
}

void ReceiveCycle::EndTraceLine() {
  m_Trace.Write({}, TraceDirection::kReceived, true);
}

void ReceiveCycle::CutPackets(std::string_view chunk, PacketList& packets) {
  if (chunk.empty()) {
    return;
  }
  const ByteString opener = TextToBytes(m_Config.GetString(setting::kPacketOpener));
  const ByteString closer = TextToBytes(m_Config.GetString(setting::kPacketCloser));
  const size_t chunkAt = m_RxPacket.size();
  m_Cutter.Append(m_RxPacket, chunk);

  const std::vector<PacketSpan> spans = m_Cutter.FindPackets(m_RxPacket, opener, closer);
  TraceChunk(m_Trace, chunk, chunkAt, spans);
  if (!closer.empty()) {
    LogPacketMatches(m_RxPacket, spans, opener.size(), closer.size());
  }
  if (!spans.empty()) {
    packets.Reserve(spans.back().end - spans.front().begin, spans.size());
  }
  for (const PacketSpan& span : spans) {
    packets.Add(std::string_view(m_RxPacket).substr(span.begin, span.end - span.begin));
  }

  // One erase for everything cut in this tick, and for the overflow of the buffer.
  const size_t cut = spans.empty() ? 0 : spans.back().end;
  const size_t overflow = m_RxPacket.size() > kMaxRxPacket ? m_RxPacket.size() - kMaxRxPacket : 0;
  if (overflow > cut) {
    DiagLog('W', "CLinkwrightDoc::ReceiveTick() packet buffer full, %zu oldest bytes dropped",
            overflow - cut);
  }
  m_Cutter.Discard(m_RxPacket, std::max(cut, overflow));
}

PacketList ReceiveCycle::TakeTimedOutPacket(Clock::time_point now) {
  const std::chrono::milliseconds timeout{m_Config.GetInt(setting::kPacketBreakTimeout)};
  if (timeout.count() <= 0 || now - m_LastRxTime <= timeout) {
    return {};
  }
  PacketList packets;
  if (!m_RxPacket.empty()) {
    packets.Add(m_RxPacket);
  }
  m_Cutter.Clear(m_RxPacket);
  m_LastRxTime = now;
  if (packets.Count() == 0) {
    return packets;
  }
  EndTraceLine();
  return Counted(std::move(packets));
}

}  // namespace linkwright
