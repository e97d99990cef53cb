#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "xml/xml_reader.h"

namespace linkwright {

namespace {

using namespace std::string_literals;

struct ParseCase {
  std::string document;
  bool parsed;
  std::string resultText;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.document);
}

class ParseTest : public testing::TestWithParam<ParseCase> {};

// A failed parse also leaves its error text as an input error; a parse that succeeds clears it.
TEST_P(ParseTest, GivesResultAndText) {
  XmlReader reader;
  EXPECT_EQ(reader.SetText(GetParam().document), GetParam().parsed);
  EXPECT_EQ(reader.GetResultText(), GetParam().resultText);
  const Error& error = reader.LastError();
  EXPECT_EQ(error.Kind(), GetParam().parsed ? ErrorKind::kNone : ErrorKind::kInput);
  if (!GetParam().parsed) {
    EXPECT_EQ(error.Message(),
              GetParam().resultText.empty() ? "no XML element" : GetParam().resultText);
  }
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, ParseTest,
    testing::Values(ParseCase{"<a/>", true, ""}, ParseCase{"<a></a>", true, ""},
                    ParseCase{"<a />", true, ""}, ParseCase{"  \r\n< a></a >", true, ""},
                    ParseCase{"<a x=\"1\" y='2'><b/></a>", true, ""},
                    ParseCase{"<a></a x=\"'>'\">", true, ""},
                    ParseCase{"<?xml version=\"1.0\"?>\n<a/>", true, ""},
                    ParseCase{"<?>\n<a/>", true, ""}, ParseCase{"<!-- note --><a/>", true, ""},
                    ParseCase{"<!--><a/>", true, ""},
                    ParseCase{"<!DOCTYPE a SYSTEM \"a>b\" 'c>d'><a/>", true, ""},
                    ParseCase{"<!DOCTYPE a [<!ENTITY x \"y>\"> <!ELEMENT a ANY>]><a/>", true, ""},
                    ParseCase{"<!DOCTYPE a []><a/>", true, ""},
                    ParseCase{"<a><?pi x?><!--c--><b/><![CDATA[</a>]]><c></c></a>", true, ""},
                    ParseCase{"<a/>trailing <<junk", true, ""}, ParseCase{"<a></a></b>", true, ""},
                    ParseCase{"<a/>\0<<"s, true, ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Malformed, ParseTest,
    testing::Values(ParseCase{"", false, ""},
                    ParseCase{"plain text", false, "Element tag not found"},
                    ParseCase{"<a>", false, "Element tag not found"},
                    ParseCase{"<a>text", false, "Element tag not found"},
                    ParseCase{"\0<a/>"s, false, "Element tag not found"},
                    ParseCase{"<a>\0</a>"s, false, "Element tag not found"},
                    ParseCase{"< \t\r\n", false, "Abrupt end within tag"},
                    ParseCase{"<'a'></a>", false, "Tag starts with quote"},
                    ParseCase{"<a><\"b\"/></a>", false, "Tag starts with quote"},
                    ParseCase{"<?xml version=\"1.0\"", false, "Invalid node"},
                    ParseCase{"<!-- open", false, "Invalid node"},
                    ParseCase{"<a><![CDATA[x</a>", false, "Invalid node"},
                    ParseCase{"<!DOCTYPE a [<!ENTITY x 'y'>", false, "Invalid node"},
                    ParseCase{"<!", false, "Invalid node"}, ParseCase{"<?", false, "Invalid node"},
                    ParseCase{"< ?xml?><a/>", false, "Invalid node"},
                    ParseCase{"<\n!-- x --><a/>", false, "Invalid node"},
                    ParseCase{"<a", false, "End of tag not found"},
                    ParseCase{"<a><b x='1'", false, "End of tag not found"},
                    ParseCase{"<a></b>", false, "End tag does not correspond to a"},
                    ParseCase{"<ab></a>", false, "End tag does not correspond to ab"},
                    ParseCase{"<a></ab>", false, "End tag does not correspond to a"},
                    ParseCase{"<a></A>", false, "End tag does not correspond to a"},
                    ParseCase{"<a><b></a></b>", false, "End tag does not correspond to b"},
                    ParseCase{"<a></a", false, "End tag not completed for element a"},
                    ParseCase{"<a><b/></a 'x'", false, "End tag not completed for element a"},
                    ParseCase{"<a></", false, "End tag not completed for element a"},
                    ParseCase{"</a>", false, "End tag without start tag"},
                    ParseCase{"<!--c--></a><a/>", false, "End tag without start tag"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ParseErrorText, LongElementNameIsCutToFitTheMessage) {
  const std::string name(400, 'n');
  XmlReader reader;
  EXPECT_FALSE(reader.SetText("<" + name + "></x>"));
  const std::string prefix = "End tag does not correspond to ";
  EXPECT_EQ(reader.GetResultText(), prefix + name.substr(0, 299 - prefix.size()));
}

TEST(ParseErrorText, FailedParseLeavesNothingToFind) {
  XmlReader reader;
  ASSERT_TRUE(reader.SetText("<r><a>1</a></r>"));
  ASSERT_FALSE(reader.SetText("<r><a>1</a>"));
  EXPECT_FALSE(reader.FindElement());
  EXPECT_FALSE(reader.FindChildElement());
  ByteString text = "stale";
  EXPECT_FALSE(reader.GetChildTextByName("a", text));
  EXPECT_EQ(text, "");
  EXPECT_EQ(reader.GetChildText(), "");
}

std::string Nested(int depth, const std::string& innermost) {
  std::string document;
  for (int i = 0; i < depth; ++i) {
    document += "<e>";
  }
  document += innermost;
  for (int i = 0; i < depth; ++i) {
    document += "</e>";
  }
  return document;
}

TEST(NestingDepth, FourThousandLevelsParse) {
  XmlReader reader;
  ASSERT_TRUE(reader.SetText(Nested(3999, "<v>deep</v>")));
  int levels = 0;
  while (reader.FindChildElement("e") && reader.EnterElement()) {
    ++levels;
  }
  EXPECT_EQ(levels, 3998);
  EXPECT_EQ(reader.GetChildTextByName("v"), "deep");
}

TEST(NestingDepth, OneLevelMoreFails) {
  XmlReader reader;
  EXPECT_FALSE(reader.SetText(Nested(4001, "")));
  EXPECT_EQ(reader.GetResultText(), "Elements nested too deeply");
}

TEST(NestingDepth, HundredThousandLevelsFailWithoutCrashing) {
  XmlReader reader;
  EXPECT_FALSE(reader.SetText(Nested(100000, "x")));
  EXPECT_EQ(reader.GetResultText(), "Elements nested too deeply");
  EXPECT_FALSE(reader.FindChildElement());
}

TEST(Growth, TreeStaysIntactAcrossSegments) {
  constexpr int kRows = 70000;
  std::string document = "<messages>";
  for (int i = 0; i < kRows; ++i) {
    document += "<row><n>" + std::to_string(i) + "</n><c/></row>";
  }
  document += "</messages>";
  XmlReader reader;
  ASSERT_TRUE(reader.SetText(document));
  int row = 0;
  while (reader.FindChildElement("row")) {
    ASSERT_TRUE(reader.EnterElement());
    ASSERT_EQ(reader.GetChildTextByName("n"), std::to_string(row)) << row;
    ASSERT_TRUE(reader.FindChildElement("c"));
    EXPECT_FALSE(reader.FindChildElement());
    ASSERT_TRUE(reader.LeaveElement());
    ++row;
  }
  EXPECT_EQ(row, kRows);
}

TEST(LoadFile, ReportsSizeOfParsedFile) {
  TempDir dir;
  std::string content = "<messages><row><m>hello</m></row></messages>";
  content += std::string(120 - content.size(), '\n');
  WriteFileBytes(dir / "table.xml", content);
  XmlReader reader;
  EXPECT_TRUE(reader.LoadFile(dir / "table.xml"));
  EXPECT_EQ(reader.GetResultText(), "120 bytes");
  ASSERT_TRUE(reader.FindChildElement("row"));
  ASSERT_TRUE(reader.EnterElement());
  EXPECT_EQ(reader.GetChildTextByName("m"), "hello");
}

TEST(LoadFile, AppendsParseErrorToSize) {
  TempDir dir;
  WriteFileBytes(dir / "bad.xml", "<a><b></a></b>");
  XmlReader reader;
  EXPECT_FALSE(reader.LoadFile(dir / "bad.xml"));
  EXPECT_EQ(reader.GetResultText(), "14 bytes, End tag does not correspond to b");
  EXPECT_EQ(reader.LastError().Message(), "End tag does not correspond to b");
}

TEST(LoadFile, EmptyFileFailsWithSizeOnly) {
  TempDir dir;
  WriteFileBytes(dir / "empty.xml", "");
  XmlReader reader;
  EXPECT_FALSE(reader.LoadFile(dir / "empty.xml"));
  EXPECT_EQ(reader.GetResultText(), "0 bytes");
}

TEST(LoadFile, UnreadableFileKeepsPreviousDocument) {
  TempDir dir;
  XmlReader reader;
  ASSERT_TRUE(reader.SetText("<r><a>1</a><b>2</b></r>"));
  ASSERT_TRUE(reader.FindChildElement("a"));
  for (const auto& path : {dir / "missing.xml", dir.path()}) {
    EXPECT_FALSE(reader.LoadFile(path));
    EXPECT_EQ(reader.GetResultText(),
              path == dir.path() ? "Is a directory" : "No such file or directory");
    EXPECT_EQ(reader.LastError().Kind(), ErrorKind::kSystem);
    EXPECT_EQ(reader.LastError().Message(), reader.GetResultText());
    EXPECT_EQ(reader.GetChildText(), "1");
    EXPECT_TRUE(reader.FindChildElement("b"));
    EXPECT_EQ(reader.GetChildText(), "2");
    reader.GetChildTextByName("a");
  }
}

}  // namespace

}  // namespace linkwright
