#include <gtest/gtest.h>

#include <random>
#include <string>

#include "xml/xml_builders.h"
#include "xml/xml_reader.h"

namespace linkwright {

namespace {

using namespace std::string_literals;

// Text of <v> holding `content` inside a top-level element.
ByteString ElementText(const std::string& content) {
  XmlReader reader;
  if (!reader.SetText("<r><v>" + content + "</v></r>")) {
    return "parse failed: " + reader.GetResultText();
  }
  return reader.GetChildTextByName("v");
}

struct TextCase {
  std::string content;
  ByteString text;
};

void PrintTo(const TextCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.content);
}

class ElementTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(ElementTextTest, DecodesContent) {
  EXPECT_EQ(ElementText(GetParam().content), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Plain, ElementTextTest,
                         testing::Values(TextCase{"", ""}, TextCase{" x ", " x "},
                                         TextCase{"\r\n\t", "\r\n\t"}, TextCase{"<w/>", ""},
                                         TextCase{"a<w/>b", ""}, TextCase{"é\xFF", "é\xFF"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(Entities, ElementTextTest,
                         testing::Values(TextCase{"1 &lt; 2 &amp;&amp; 3", "1 < 2 && 3"},
                                         TextCase{"&gt;&apos;&quot;", ">'\""},
                                         TextCase{"&foo;", "&foo;"}, TextCase{"&LT;", "&LT;"},
                                         TextCase{"&lt", "&lt"}, TextCase{"x&am", "x&am"},
                                         TextCase{"&amp;lt;", "&lt;"}, TextCase{"&&lt;", "&<"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    References, ElementTextTest,
    testing::Values(TextCase{"&#65;", "A"}, TextCase{"&#xE9;", "\xC3\xA9"},
                    TextCase{"&#xe9;", "\xC3\xA9"}, TextCase{"&#x20AC;", "\xE2\x82\xAC"},
                    TextCase{"&#x7F;&#x80;&#x7FF;&#x800;", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"},
                    TextCase{"&#x1F600;", "\xF0\x9F\x98\x80"},
                    TextCase{"&#x10FFFF;", "\xF4\x8F\xBF\xBF"}, TextCase{"&#0000065;", "A"},
                    TextCase{"&#00000065;", "&#00000065;"}, TextCase{"&#12345678;", "&#12345678;"},
                    TextCase{"&#65", "&#65"}, TextCase{"&#65x;", "A"}, TextCase{"&# 65;", "A"},
                    TextCase{"&#+66;", "B"}, TextCase{"&#-1;", "\xFF"}, TextCase{"&#;", "&#;"},
                    TextCase{"&#X41;", "&#X41;"}, TextCase{"&#x;", "&#x;"},
                    TextCase{"a&#66;c", "aBc"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(Cdata, ElementTextTest,
                         testing::Values(TextCase{"<![CDATA[<b>&amp;]]>", "<b>&amp;"},
                                         TextCase{"<![CDATA[]]>", ""},
                                         TextCase{" \n<![CDATA[x]]>tail", "x"},
                                         TextCase{"a<![CDATA[x]]>", "a<![CDATA[x]]>"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ElementText, EmptyElementHasNoText) {
  XmlReader reader;
  ASSERT_TRUE(reader.SetText("<r><v/><w></w></r>"));
  ByteString text = "stale";
  EXPECT_TRUE(reader.GetChildTextByName("v", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(reader.GetChildTextByName("w", text));
  EXPECT_EQ(text, "");
}

TEST(ElementText, ReferenceMayEndPastTheElement) {
  XmlReader reader;
  ASSERT_TRUE(reader.SetText("<r><v>&#65</v>;</r>"));
  EXPECT_EQ(reader.GetChildTextByName("v"), "A");
}

TEST(Builders, WriteTags) {
  EXPECT_EQ(XmlOpenTag("row"), "<row>");
  EXPECT_EQ(XmlOpenTag("row", "id=\"1\""), "<row id=\"1\">");
  EXPECT_EQ(XmlCloseTag("row"), "</row>");
  EXPECT_EQ(XmlElement("m", ""), "<m></m>");
  EXPECT_EQ(XmlElement("m", "a<b&c>'d\"", "x=\"1\""),
            "<m x=\"1\">a&lt;b&amp;c&gt;&apos;d&quot;</m>");
}

void ExpectRoundTrip(const ByteString& value) {
  XmlReader reader;
  ASSERT_TRUE(reader.SetText(XmlOpenTag("table") + XmlElement("value", value, "n=\"1\"") +
                             XmlCloseTag("table")));
  EXPECT_EQ(reader.GetChildTextByName("value"), value) << testing::PrintToString(value);
}

TEST(Builders, EveryByteButNulSurvivesReadBack) {
  ByteString all;
  for (int byte = 1; byte < 256; ++byte) {
    const ByteString one(1, static_cast<char>(byte));
    ExpectRoundTrip(one);
    ExpectRoundTrip(" " + one + "<![CDATA[" + one + "]]>&amp;" + one);
    all += one;
  }
  ExpectRoundTrip(all);
}

TEST(Builders, RandomValuesSurviveReadBack) {
  std::mt19937 random(7);
  const std::string alphabet = "<>&'\";#x[]!?/= \t\r\nCDATA0123456789aé";
  for (int round = 0; round < 2000; ++round) {
    ByteString value(random() % 24, ' ');
    for (char& c : value) {
      c = alphabet[random() % alphabet.size()];
    }
    ExpectRoundTrip(value);
  }
}

}  // namespace

}  // namespace linkwright
