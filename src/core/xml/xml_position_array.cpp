#include "xml/xml_position_array.h"

#include <algorithm>

namespace linkwright {

void XmlPositionArray::Grow(int32_t wanted) {
  if (m_Count >= wanted) {
    return;
  }
  const int32_t last = m_Count == 0 ? 0 : (m_Count - 1) >> kSegmentBits;
  int32_t added = (wanted - 1) >> kSegmentBits;
  if (added > last + 1) {
    added = last + 1;
    wanted = (added + 1) * kSegmentSize;
  }
  if (added >= static_cast<int32_t>(m_Segments.capacity())) {
    m_Segments.reserve(4 + 2 * static_cast<size_t>(added));
  }
  const int32_t lastSize = m_Count - last * kSegmentSize;
  auto resize = [&](int32_t segment, int32_t size, int32_t kept) {
    auto records = std::make_unique<XmlElementPos[]>(size);
    if (kept > 0) {
      std::copy_n(m_Segments[segment].get(), kept, records.get());
    }
    m_Segments[segment] = std::move(records);
  };
  if (m_Segments.size() <= static_cast<size_t>(added)) {
    m_Segments.resize(added + 1);
  }
  if (added > last && lastSize < kSegmentSize) {
    resize(last, kSegmentSize, lastSize);
  }
  resize(added, wanted - added * kSegmentSize, added == last ? lastSize : 0);
  m_Count = wanted;
}

}  // namespace linkwright
