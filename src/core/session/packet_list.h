#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "byte_string.h"

namespace linkwright {

// Packets cut from the received bytes, in order, kept back to back in one buffer: a chunk of a
// stream holds hundreds of packets, and a string of its own for each would cost more than
// cutting them. A packet is valid as long as the list.
class PacketList {
 public:
  // Makes room for `count` more packets of `bytes` bytes in all.
  void Reserve(size_t bytes, size_t count) {
    m_Bytes.reserve(m_Bytes.size() + bytes);
    m_Ends.reserve(m_Ends.size() + count);
  }

  void Add(std::string_view packet) {
    m_Bytes += packet;
    m_Ends.push_back(m_Bytes.size());
  }

  size_t Count() const { return m_Ends.size(); }

  std::string_view At(size_t index) const {
    const size_t begin = index == 0 ? 0 : m_Ends[index - 1];
    return std::string_view(m_Bytes).substr(begin, m_Ends[index] - begin);
  }

 private:
  ByteString m_Bytes;
  std::vector<size_t> m_Ends;
};

}  // namespace linkwright
