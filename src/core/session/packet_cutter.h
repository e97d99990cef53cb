#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "byte_string.h"

namespace linkwright {

// Where a packet lies in the buffer it was found in: bytes begin … end − 1.
struct PacketSpan {
  size_t begin;
  size_t end;
};

// Finds packets in a buffer that grows at its end, by the packet extraction rule: the first
// opener in the buffer (an empty opener: the buffer's start), then the first closer after it;
// the packet runs from the opener to the end of the closer. After a packet the rule applies
// again to the bytes behind it.
//
// The cutter remembers how far it has searched, so bytes that arrive in small pieces are
// searched about once, not once per piece. It follows one buffer: every change to that buffer
// goes through Append, Discard or Clear. A buffer that was changed otherwise (emptied by opening
// the link) is noticed by its size and searched again from its start.
class PacketCutter {
 public:
  // Appends bytes at the buffer's end.
  void Append(ByteString& buffer, std::string_view bytes);

  // Every complete packet in the buffer, in order; the buffer itself is not changed. The
  // caller then discards at least up to the end of the last packet. An empty closer finds
  // nothing (no packet is ever complete). A changed opener or closer searches from the start.
  std::vector<PacketSpan> FindPackets(const ByteString& buffer, const ByteString& opener,
                                      const ByteString& closer);

  // Removes the first `count` bytes (at most the buffer's size).
  void Discard(ByteString& buffer, size_t count);

  // Empties the buffer.
  void Clear(ByteString& buffer);

 private:
  static constexpr size_t kNotFound = ByteString::npos;

  void StartOver();
  void Follow(const ByteString& buffer);

  ByteString m_Opener;
  ByteString m_Closer;
  // Size of the buffer after the cutter's last change to it.
  size_t m_Size = 0;
  // The opener of the packet being collected, when it has been found.
  size_t m_OpenerAt = kNotFound;
  // Where the search for the opener, or with an opener found for the closer, goes on.
  size_t m_SearchFrom = 0;
};

}  // namespace linkwright
