#include "xml/xml_position_array.h"

#include <gtest/gtest.h>

#include <vector>

namespace linkwright {

namespace {

constexpr int32_t kSegment = XmlPositionArray::kSegmentSize;

TEST(PositionArray, GrowsByAtMostOneSegmentAndNeverShrinks) {
  struct Step {
    int32_t wanted;
    int32_t count;
  };
  const std::vector<Step> steps = {
      {8, 8},
      {4, 8},
      {100, 100},
      {kSegment, kSegment},
      {kSegment + 1, kSegment + 1},
      {10 * kSegment, 3 * kSegment},
      {3 * kSegment + 7, 3 * kSegment + 7},
      {3 * kSegment + 7, 3 * kSegment + 7},
      {4 * kSegment, 4 * kSegment},
  };
  XmlPositionArray array;
  for (const Step& step : steps) {
    array.Grow(step.wanted);
    EXPECT_EQ(array.Count(), step.count) << step.wanted;
  }
}

TEST(PositionArray, FirstGrowthIsCappedAtTwoSegments) {
  XmlPositionArray array;
  array.Grow(5 * kSegment);
  EXPECT_EQ(array.Count(), 2 * kSegment);
}

TEST(PositionArray, RecordsKeepValuesAndAddressesOfFullSegments) {
  XmlPositionArray array;
  array.Grow(100);
  for (int32_t i = 0; i < 100; ++i) {
    array[i].startTagOpen = i;
  }
  array.Grow(kSegment + 10);
  const XmlElementPos* firstSegment = &array[0];
  for (int32_t i = 100; i < kSegment + 10; ++i) {
    array[i].startTagOpen = i;
  }
  for (int32_t wanted = kSegment + 20; wanted < 4 * kSegment; wanted += wanted / 2) {
    array.Grow(wanted);
    for (int32_t i = array.Count() - 1; i >= 0 && array[i].startTagOpen == 0; --i) {
      array[i].startTagOpen = i;
    }
  }
  EXPECT_EQ(&array[0], firstSegment);
  for (int32_t i = 0; i < array.Count(); ++i) {
    ASSERT_EQ(array[i].startTagOpen, i);
  }
}

}  // namespace

}  // namespace linkwright
