#include "config/ini_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ascii_text.h"

namespace linkwright {

namespace {

struct GetCase {
  const char* name;
  std::string text;
  std::string section;
  std::string key;
  std::optional<std::string> expected;
};

void PrintTo(const GetCase& c, std::ostream* out) {
  *out << c.name;
}

class IniGetTest : public testing::TestWithParam<GetCase> {};

TEST_P(IniGetTest, ReadsTheValueAPrivateProfileReaderWould) {
  const GetCase& c = GetParam();
  EXPECT_EQ(IniFile::Parse(c.text).Get(c.section, c.key), c.expected);
}

const std::string kLong(3000, 'a');

INSTANTIATE_TEST_SUITE_P(
    PrivateProfileRules, IniGetTest,
    testing::Values(
        GetCase{"Plain", "[Connection]\nSocketPort=8080\n", "Connection", "SocketPort", "8080"},
        GetCase{"SectionAndKeyIgnoreCase", "[connection]\nSOCKETport=1\n", "CONNECTION",
                "socketPORT", "1"},
        GetCase{"MissingKey", "[A]\nx=1\n", "A", "y", std::nullopt},
        GetCase{"MissingSection", "[A]\nx=1\n", "B", "x", std::nullopt},
        GetCase{"EmptyFile", "", "A", "x", std::nullopt},
        GetCase{"KeyBeforeAnyHeader", "x=1\n[A]\n", "A", "x", std::nullopt},
        GetCase{"KeyOfOtherSection", "[A]\nx=1\n[B]\ny=2\n", "B", "x", std::nullopt},
        GetCase{"EmptyValueIsNotMissing", "[A]\nx=\n", "A", "x", ""},
        GetCase{"BlanksAroundNameAndValue", "[A]\n \t x \t=  v  1 \t\n", "A", "x", "v  1"},
        GetCase{"DoubleQuotesStripped", "[A]\nx=  \"  q  \"  \n", "A", "x", "  q  "},
        GetCase{"SingleQuotesStripped", "[A]\nx='q'\n", "A", "x", "q"},
        GetCase{"OnlyOnePairStripped", "[A]\nx=\"\"q\"\"\n", "A", "x", "\"q\""},
        GetCase{"UnmatchedQuotesKept", "[A]\nx=\"q'\n", "A", "x", "\"q'"},
        GetCase{"LoneQuoteKept", "[A]\nx=\"\n", "A", "x", "\""},
        GetCase{"EmptyQuotes", "[A]\nx=\"\"\n", "A", "x", ""},
        GetCase{"EqualsInValue", "[A]\nx=a=b\n", "A", "x", "a=b"},
        GetCase{"CrLfLines", "[A]\r\nx=1\r\ny=2\r\n", "A", "x", "1"},
        GetCase{"LastLineWithoutLineEnd", "[A]\nx=7", "A", "x", "7"},
        GetCase{"FirstSectionOfANameWins", "[A]\nx=1\n[a]\nx=2\n", "A", "x", "1"},
        GetCase{"LaterSectionOfTheNameNotSearched", "[A]\ny=1\n[a]\nx=2\n", "a", "x", std::nullopt},
        GetCase{"FirstKeyWins", "[A]\nx=1\nX=2\n", "A", "x", "1"},
        GetCase{"SemicolonComment", "[A]\n;x=1\n", "A", ";x", std::nullopt},
        GetCase{"HashComment", "[A]\n  # x=1\n", "A", "# x", std::nullopt},
        GetCase{"LineWithoutEqualsIsNoKey", "[A]\nx\nx=3\n", "A", "x", "3"},
        GetCase{"HeaderWithBlanksAndTrailingText", "  [ A ] ; note\nx=1\n", "A", "x", "1"},
        GetCase{"UnclosedHeaderStartsNoSection", "[A]\n[B\nx=1\n", "A", "x", "1"},
        GetCase{"ValueCutAt2599", "[A]\nx=" + kLong + "\n", "A", "x", std::string(2599, 'a')},
        GetCase{"QuotesStrippedBeforeTheCut", "[A]\nx=\"" + kLong + "\"\n", "A", "x",
                std::string(2599, 'a')}),
    [](const testing::TestParamInfo<GetCase>& info) { return info.param.name; });

TEST(IniGetString, GivesTheDefaultOnlyWhenTheKeyIsMissing) {
  IniFile file = IniFile::Parse("[Connection]\nPacketCloser=\n");
  EXPECT_EQ(file.GetString("Connection", "PacketCloser", "[CR]"), "");
  EXPECT_EQ(file.GetString("Connection", "PacketOpener", "[STX]"), "[STX]");
}

struct Assignment {
  const char* section;
  const char* key;
  const char* value;
};

struct SetCase {
  const char* name;
  std::string before;
  std::vector<Assignment> assignments;
  std::string after;
};

void PrintTo(const SetCase& c, std::ostream* out) {
  *out << c.name;
}

class IniSetTest : public testing::TestWithParam<SetCase> {};

TEST_P(IniSetTest, ChangesOnlyWhatWasSet) {
  IniFile file = IniFile::Parse(GetParam().before);
  for (const Assignment& a : GetParam().assignments) {
    ASSERT_TRUE(file.Set(a.section, a.key, a.value)) << a.section << "." << a.key;
  }
  EXPECT_EQ(file.Serialize(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Placement, IniSetTest,
    testing::Values(SetCase{"ReplacesTheKeyLineKeepingItsSpellingAndEverythingElse",
                            "; settings\n[Connection]\n  # port comes next\nsocketport = 1024\n"
                            "Extra=keep me\n\n[Unknown]\nOther = \"quoted\"\n",
                            {{"Connection", "SocketPort", "8080"}},
                            "; settings\n[Connection]\n  # port comes next\nsocketport=8080\n"
                            "Extra=keep me\n\n[Unknown]\nOther = \"quoted\"\n"},
                    SetCase{"AddsAKeyAfterTheLastKeyOfItsSection",
                            "[A]\nx=1\n\n; about B\n[B]\ny=2\n",
                            {{"a", "z", "3"}},
                            "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n"},
                    SetCase{"AddsAKeyRightAfterTheHeaderOfAnEmptySection",
                            "[A]\n; nothing yet\n",
                            {{"A", "x", "1"}},
                            "[A]\nx=1\n; nothing yet\n"},
                    SetCase{"AddsAMissingSectionAtTheEndAfterABlankLine",
                            "[A]\nx=1",
                            {{"B", "y", "2"}, {"B", "z", "3"}},
                            "[A]\nx=1\n\n[B]\ny=2\nz=3\n"},
                    SetCase{"StartsAnEmptyFileWithTheSection", "", {{"B", "y", "2"}}, "[B]\ny=2\n"},
                    SetCase{"WritesNewLinesWithTheFilesCrLfLineEnds",
                            "[A]\r\nx=1\r\n",
                            {{"A", "x", "5"}, {"B", "y", "6"}},
                            "[A]\r\nx=5\r\n\r\n[B]\r\ny=6\r\n"},
                    SetCase{"QuotesAValueThatWouldLoseItsBlanks",
                            "[A]\n",
                            {{"A", "x", " v "}},
                            "[A]\nx=\" v \"\n"}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

class IniValueRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(IniValueRoundTrip, ReadsBackWhatWasSet) {
  IniFile file = IniFile::Parse("[A]\nx=old\n");
  ASSERT_TRUE(file.Set("A", "x", GetParam()));
  ASSERT_TRUE(file.Set("A", "new", GetParam()));
  IniFile reread = IniFile::Parse(file.Serialize());
  EXPECT_EQ(reread.Get("A", "x"), GetParam());
  EXPECT_EQ(reread.Get("A", "new"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(AwkwardValues, IniValueRoundTrip,
                         testing::Values("", " lead", "trail ", "\t", "  ", "\"q\"", "'q'", "\"",
                                         "\"\"", "'", "a\"b", "\"a'", "x=y", ";c", "[s]",
                                         "[CR][LF]", std::string("nul\0inside", 10)));

TEST(IniSet, RefusesWhatCannotBeStoredOnOneLine) {
  const std::string text = "[A]\nx=1\n";
  IniFile file = IniFile::Parse(text);
  EXPECT_FALSE(file.Set("A", "x", "two\nlines"));
  EXPECT_FALSE(file.Set("A", "x", "cr\rinside"));
  EXPECT_FALSE(file.Set("A", "", "1"));
  EXPECT_FALSE(file.Set("A", "k=v", "1"));
  EXPECT_FALSE(file.Set("A", " k", "1"));
  EXPECT_FALSE(file.Set("A", "[k", "1"));
  EXPECT_FALSE(file.Set("A", ";k", "1"));
  EXPECT_FALSE(file.Set("", "k", "1"));
  EXPECT_FALSE(file.Set("B\nC", "k", "1"));
  EXPECT_FALSE(file.Set("B ", "k", "1"));
  EXPECT_EQ(file.Serialize(), text);
}

TEST(IniKeys, ListsKeysOfSectionsInFileOrder) {
  IniFile file = IniFile::Parse("orphan=0\n[A]\nx=1\n;c=2\n[B]\n y =3\nnot a key\n[A]\nz=4\n");
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(file.Keys(), (std::vector<Pair>{{"A", "x"}, {"B", "y"}, {"A", "z"}}));
}

TEST(EqualsIgnoringCase, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoringCase("AutoReply", "autoreply"));
  EXPECT_FALSE(EqualsIgnoringCase("AutoReply", "autoreplyx"));
  EXPECT_FALSE(EqualsIgnoringCase("[", "{"));
  EXPECT_FALSE(EqualsIgnoringCase("\xC3\x89", "\xC3\xA9"));
}

}  // namespace

}  // namespace linkwright
