#include "document/message_archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>
#include "message_row_printer.h"

namespace linkwright {

namespace {

std::string Le(uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  }
  return out;
}

// The length prefix of a counted string in its shortest form.
std::string LengthPrefix(uint64_t length) {
  if (length < 0xFF) {
    return Le(length, 1);
  }
  if (length < 0xFFFE) {  // 0xFFFE in the 16-bit place marks a wide string
    return "\xFF" + Le(length, 2);
  }
  return "\xFF\xFF\xFF" + Le(length, 4);
}

std::string Counted(const std::string& text) {
  return LengthPrefix(text.size()) + text;
}

// A string of 16-bit characters, given as UTF-16 code units.
std::string Wide(const std::u16string& units) {
  std::string out = "\xFF" + Le(0xFFFE, 2) + LengthPrefix(units.size());
  for (char16_t unit : units) {
    out += Le(unit, 2);
  }
  return out;
}

std::string Row(uint32_t active, const std::string& textA, const std::string& textB) {
  return Le(active, 4) + textA + textB;
}

TEST(MessageArchiveTest, RowsAreActiveValueThenTwoCountedStrings) {
  std::string data = Row(1, Counted("  PING //keep alive \r\n"), Counted(" PONG\t")) +
                     Row(0, Counted(""), Counted("T"));
  std::vector<MessageRow> rows = ParseMessageArchive(data, 99);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (MessageRow{"PING", "keep alive", 1, "PONG"}));
  EXPECT_EQ(rows[1], (MessageRow{"", "", 0, "T"}));
}

TEST(MessageArchiveTest, LengthsUseOneTwoOrFourBytes) {
  for (size_t length :
       {size_t{0}, size_t{254}, size_t{255}, size_t{65534}, size_t{65535}, size_t{70000}}) {
    std::string text(length, 'x');
    std::vector<MessageRow> rows = ParseMessageArchive(Row(1, Counted(text), Counted("t")), 99);
    ASSERT_EQ(rows.size(), 1u) << length;
    EXPECT_EQ(rows[0].message, text) << length;
    EXPECT_EQ(rows[0].trigger, "t") << length;
  }
}

TEST(MessageArchiveTest, LongFormsMayCarrySmallLengths) {
  std::string data = Row(1, "\xFF" + Le(3, 2) + "abc", "\xFF\xFF\xFF" + Le(2, 4) + "de");
  std::vector<MessageRow> rows = ParseMessageArchive(data, 99);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (MessageRow{"abc", "", 1, "de"}));
}

TEST(MessageArchiveTest, WideStringsAreConvertedToUtf8) {
  std::string data = Row(2, Wide(u"caf\u00E9 \u20AC //\u00FC"), Wide(u"\U0001F600")) +
                     Row(3, Wide(std::u16string(300, u'w')), Counted("narrow")) +
                     Row(4, Wide({0xD800, u'a', 0xDC00}), Wide({0xDBFF}));
  std::vector<MessageRow> rows = ParseMessageArchive(data, 99);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (MessageRow{"caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xBC", 2, "\xF0\x9F\x98\x80"}));
  EXPECT_EQ(rows[1], (MessageRow{std::string(300, 'w'), "", 3, "narrow"}));
  EXPECT_EQ(rows[2], (MessageRow{"\xEF\xBF\xBD"
                                 "a\xEF\xBF\xBD",
                                 "", 4, "\xEF\xBF\xBD"}));
}

TEST(MessageArchiveTest, AfterTheWideMarker0xFFFEIsAnOrdinaryLength) {
  std::string units(2 * 65534, '\0');
  for (size_t i = 0; i < units.size(); i += 2) {
    units[i] = 'z';
  }
  std::string data = Row(1, "\xFF" + Le(0xFFFE, 2) + "\xFF" + Le(0xFFFE, 2) + units, Counted(""));
  std::vector<MessageRow> rows = ParseMessageArchive(data, 99);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].message, std::string(65534, 'z'));
}

TEST(MessageArchiveTest, LargeActiveValuesStayOn) {
  std::vector<MessageRow> rows = ParseMessageArchive(
      Row(0xFFFFFFFF, Counted("a"), Counted("")) + Row(0x80000000, Counted("b"), Counted("")), 99);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_NE(rows[0].active, 0);
  EXPECT_NE(rows[1].active, 0);
}

TEST(MessageArchiveTest, ARowCutShortEndsTheLoadKeepingEarlierRows) {
  const std::string good = Row(1, Counted("A"), Counted("B"));
  const std::string second = Row(1, Counted("C"), Counted("D"));
  for (size_t cut = 0; cut < second.size(); ++cut) {
    std::vector<MessageRow> rows = ParseMessageArchive(good + second.substr(0, cut), 99);
    ASSERT_EQ(rows.size(), 1u) << cut;
    EXPECT_EQ(rows[0], (MessageRow{"A", "", 1, "B"}));
  }
  const std::string wideMarker = "\xFF" + Le(0xFFFE, 2);
  for (const std::string& bad : {
           Row(1, Le(5, 1) + "abc", ""),                            // length past the end
           Row(1, "\xFF" + Le(1000, 2) + "abc", ""),                // 16-bit length past the end
           Row(1, "\xFF" + Le(0xFFFF, 2) + Le(0xFFFFFFFF, 4), ""),  // 32-bit length past the end
           Row(1, wideMarker + Le(3, 1) + "abcde", ""),             // wide string one byte short
           Row(1, Counted("A"), Le(0xFF, 1)),                       // length cut short
       }) {
    std::vector<MessageRow> rows = ParseMessageArchive(good + bad, 99);
    EXPECT_EQ(rows.size(), 1u) << BytesToText(bad, true);
  }
}

TEST(MessageArchiveTest, ReadingStopsAfterTheLastRowOfTheTable) {
  std::string data;
  for (int n = 1; n <= 120; ++n) {
    data += Row(static_cast<uint32_t>(n), Counted("M" + std::to_string(n)), Counted(""));
  }
  std::vector<MessageRow> rows = ParseMessageArchive(data, 99);
  ASSERT_EQ(rows.size(), 99u);
  EXPECT_EQ(rows.back().message, "M99");
}

}  // namespace

}  // namespace linkwright
