#include "session/packet_cutter.h"

#include <algorithm>

namespace linkwright {

namespace {

// The first position where a pattern could still start once more bytes arrive: a pattern may
// straddle the present end of the buffer.
size_t ResumePoint(size_t size, size_t patternSize, size_t floor) {
  return size >= patternSize ? std::max(floor, size - patternSize + 1) : floor;
}

}  // namespace

void PacketCutter::Append(ByteString& buffer, std::string_view bytes) {
  Follow(buffer);
  buffer += bytes;
  m_Size = buffer.size();
}

std::vector<PacketSpan> PacketCutter::FindPackets(const ByteString& buffer,
                                                  const ByteString& opener,
                                                  const ByteString& closer) {
  Follow(buffer);
  if (opener != m_Opener || closer != m_Closer) {
    m_Opener = opener;
    m_Closer = closer;
    StartOver();
  }
  std::vector<PacketSpan> packets;
  while (!closer.empty()) {
    if (m_OpenerAt == kNotFound) {
      m_OpenerAt = buffer.find(opener, m_SearchFrom);
      if (m_OpenerAt == kNotFound) {
        m_SearchFrom = ResumePoint(buffer.size(), opener.size(), m_SearchFrom);
        break;
      }
      m_SearchFrom = m_OpenerAt + opener.size();
    }
    const size_t closerAt = buffer.find(closer, m_SearchFrom);
    if (closerAt == kNotFound) {
      m_SearchFrom = ResumePoint(buffer.size(), closer.size(), m_SearchFrom);
      break;
    }
    const size_t end = closerAt + closer.size();
    packets.push_back({m_OpenerAt, end});
    m_OpenerAt = kNotFound;
    m_SearchFrom = end;
  }
  return packets;
}

void PacketCutter::Discard(ByteString& buffer, size_t count) {
  Follow(buffer);
  count = std::min(count, buffer.size());
  buffer.erase(0, count);
  m_Size = buffer.size();
  if (m_OpenerAt != kNotFound && m_OpenerAt < count) {
    // The opener of the packet being collected went with the discarded bytes.
    StartOver();
    return;
  }
  if (m_OpenerAt != kNotFound) {
    m_OpenerAt -= count;
  }
  m_SearchFrom = m_SearchFrom > count ? m_SearchFrom - count : 0;
}

void PacketCutter::Clear(ByteString& buffer) {
  buffer.clear();
  m_Size = 0;
  StartOver();
}

void PacketCutter::StartOver() {
  m_OpenerAt = kNotFound;
  m_SearchFrom = 0;
}

void PacketCutter::Follow(const ByteString& buffer) {
  if (buffer.size() != m_Size) {
    m_Size = buffer.size();
    StartOver();
  }
}

}  // namespace linkwright
