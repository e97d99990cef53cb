#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace linkwright {

// Where one element lies in the document text, by byte index, and its links in the tree.
// For an empty element (<a/>) endTagOpen is the index of the '/' and endTagClose equals
// startTagClose. Links are record indexes; 0 means none (record 0 stands for the document).
struct XmlElementPos {
  int32_t startTagOpen = 0;
  int32_t startTagClose = 0;
  int32_t endTagOpen = 0;
  int32_t endTagClose = 0;
  int32_t parent = 0;
  int32_t firstChild = 0;
  int32_t nextSibling = 0;
};

// Records in segments of 65,536. Growth adds at most one segment at a time and reallocates at
// most the last segment, so records in other segments never move and a large document never
// needs one huge contiguous block.
class XmlPositionArray {
 public:
  static constexpr int kSegmentBits = 16;
  static constexpr int32_t kSegmentSize = int32_t{1} << kSegmentBits;

  XmlElementPos& operator[](int32_t index) {
    return m_Segments[index >> kSegmentBits][index & (kSegmentSize - 1)];
  }
  const XmlElementPos& operator[](int32_t index) const {
    return m_Segments[index >> kSegmentBits][index & (kSegmentSize - 1)];
  }

  // Number of allocated records.
  int32_t Count() const { return m_Count; }

  // Grows towards `wanted` records, by at most one new segment: the count afterwards is
  // `wanted`, or the end of the next segment when `wanted` lies beyond it. Never shrinks.
  void Grow(int32_t wanted);

 private:
  std::vector<std::unique_ptr<XmlElementPos[]>> m_Segments;
  int32_t m_Count = 0;
};

}  // namespace linkwright
