#include "document/message_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/message_file.h"
#include "message_row_printer.h"

namespace linkwright {

namespace {

// All byte values but NUL, which ends a cell's text.
std::string AllNonNulBytes() {
  std::string bytes;
  for (int value = 1; value <= 0xFF; ++value) {
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

std::vector<MessageRow> Parse(const std::string& xml) {
  std::vector<MessageRow> rows;
  const Error parsed = ParseMessageXml(xml, 99, rows);
  EXPECT_FALSE(parsed.Failed()) << parsed.Message();
  return rows;
}

std::string XmlRow(const std::string& children) {
  return "<row>" + children + "</row>";
}

// The six saved lines of an empty row.
std::string EmptyRowLines(int id) {
  return "\t<row id='" + std::to_string(id) +
         "'>\r\n"
         "\t\t<message></message>\r\n"
         "\t\t<comment></comment>\r\n"
         "\t\t<active>0</active>\r\n"
         "\t\t<trigger></trigger>\r\n"
         "\t</row>\r\n";
}

TEST(MessageXmlTest, SavedBytesListRowsUpToTheLastUsedOneWithEmptyElementsBetween) {
  MessageTable table;
  table.SetRow(2, MessageRow{"[STX]A[ETX]", "first", 1, "PING[CR]"});
  table.SetRow(5, MessageRow{"", "", 7, "T"});
  table.SetActive(9, 1);
  std::string expected =
      "<?xml version='1.0' encoding='UTF-8'?>\r\n"
      "<Linkwright>\r\n" +
      EmptyRowLines(1) +
      "\t<row id='2'>\r\n"
      "\t\t<message>[STX]A[ETX]</message>\r\n"
      "\t\t<comment>first</comment>\r\n"
      "\t\t<active>1</active>\r\n"
      "\t\t<trigger>PING[CR]</trigger>\r\n"
      "\t</row>\r\n" +
      EmptyRowLines(3) + EmptyRowLines(4) +
      "\t<row id='5'>\r\n"
      "\t\t<message></message>\r\n"
      "\t\t<comment></comment>\r\n"
      "\t\t<active>1</active>\r\n"
      "\t\t<trigger>T</trigger>\r\n"
      "\t</row>\r\n"
      "</Linkwright>\r\n";
  EXPECT_EQ(FormatMessageXml(table), expected);
}

TEST(MessageXmlTest, AnEmptyTableGivesTheDeclarationAndTheRootOnly) {
  MessageTable table;
  table.SetActive(4, 1);
  EXPECT_EQ(FormatMessageXml(table),
            "<?xml version='1.0' encoding='UTF-8'?>\r\n<Linkwright>\r\n</Linkwright>\r\n");
}

TEST(MessageXmlTest, SpecialCharactersAreWrittenAsEntities) {
  MessageTable table;
  table.SetItemText(1, MessageTable::kMessageColumn, "a<b & c>'d\"");
  std::string xml = FormatMessageXml(table);
  EXPECT_NE(xml.find("<message>a&lt;b &amp; c&gt;&apos;d&quot;</message>"), std::string::npos)
      << xml;
}

TEST(MessageXmlTest, EveryTextSurvivesASaveAndALoad) {
  const std::vector<std::string> texts{
      AllNonNulBytes(),
      "<row><message>x</message></row>",
      "&amp; &lt; &#65; &#x20AC; &foo;",
      "<![CDATA[raw]]>",
      "  leading and trailing blanks \t\r\n",
      "\r\n",
      "]]>",
      "caf\xC3\xA9 \xE2\x82\xAC",
  };
  MessageTable table;
  for (size_t i = 0; i < texts.size(); ++i) {
    table.SetRow(static_cast<int>(i) + 1, MessageRow{texts[i], texts[i], 1, texts[i]});
  }
  std::vector<MessageRow> loaded = Parse(FormatMessageXml(table));
  ASSERT_EQ(loaded.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(loaded[i], (MessageRow{texts[i], texts[i], 1, texts[i]})) << i;
  }
}

TEST(MessageXmlTest, AllNinetyNineRowsSurviveASaveAndALoad) {
  MessageTable table;
  for (int row = 1; row <= 99; ++row) {
    table.SetRow(row, MessageRow{"m" + std::to_string(row), "", row % 2, ""});
  }
  MessageTable loaded;
  ASSERT_FALSE(LoadMessageBytes(loaded, MessageFileFormat::kXml, FormatMessageXml(table)).Failed());
  for (int row = 1; row <= 99; ++row) {
    ASSERT_EQ(loaded.GetRow(row), table.GetRow(row)) << row;
  }
}

TEST(MessageXmlTest, RowsAreReadUnderAnyRootInDocumentOrderWhateverTheChildOrder) {
  std::string xml =
      "<?xml version='1.0'?><!-- saved elsewhere --><Other version='2'>"
      "<header>skipped</header>" +
      XmlRow("<trigger>T1</trigger><active>1</active><comment>C1</comment><message>M1</message>") +
      "<rows>skipped too</rows>" + XmlRow("<message>M2</message>") + "<Row>not a row</Row>" +
      XmlRow("<message><b>nested</b></message><active> -3</active><extra>x</extra>") + "</Other>";
  std::vector<MessageRow> rows = Parse(xml);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (MessageRow{"M1", "C1", 1, "T1"}));
  EXPECT_EQ(rows[1], (MessageRow{"M2", "", 0, ""}));
  EXPECT_EQ(rows[2], (MessageRow{"", "", -3, ""}));
}

TEST(MessageXmlTest, ActiveIsReadAsALeadingDecimalNumber) {
  struct Case {
    std::string text;
    int active;
  };
  for (const Case& c : std::vector<Case>{{"5", 5},
                                         {"0", 0},
                                         {"  12abc", 12},
                                         {"+7", 7},
                                         {"-1", -1},
                                         {"abc", 0},
                                         {"", 0},
                                         {"- 1", 0},
                                         {"99999999999999999999", 2147483647},
                                         {"-99999999999999999999", -2147483647 - 1}}) {
    std::vector<MessageRow> rows =
        Parse("<L>" + XmlRow("<active>" + c.text + "</active>") + "</L>");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].active, c.active) << c.text;
  }
}

TEST(MessageXmlTest, AnActiveValueOtherThanOneIsSavedBackAsOne) {
  MessageTable table;
  ASSERT_FALSE(LoadMessageBytes(table, MessageFileFormat::kXml,
                                "<L><row><message>m</message><active>5</active></row></L>")
                   .Failed());
  EXPECT_EQ(table.GetActive(1), 5);
  EXPECT_NE(FormatMessageXml(table).find("<active>1</active>"), std::string::npos);
}

TEST(MessageXmlTest, OnlyTheFirst99RowsOf120AreLoaded) {
  std::string xml = "<Linkwright>";
  for (int n = 1; n <= 120; ++n) {
    xml += XmlRow("<message>" + std::to_string(n) + "</message>");
  }
  xml += "</Linkwright>";
  MessageTable table;
  ASSERT_FALSE(LoadMessageBytes(table, MessageFileFormat::kXml, xml).Failed());
  EXPECT_EQ(table.LastUsedRow(), 99);
  EXPECT_EQ(table.GetItemText(99, MessageTable::kMessageColumn), "99");
}

TEST(MessageXmlTest, TextThatIsNotXmlFailsWithTheReaderErrorAndKeepsTheTable) {
  struct Case {
    std::string xml;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"", "not a message file: no XML element"},
           {"just text", "not a message file: Element tag not found"},
           {"<Linkwright><row></Linkwright>",
            "not a message file: End tag does not correspond to row"},
       }) {
    MessageTable table;
    table.SetRow(3, MessageRow{"keep", "", 1, ""});
    const Error loaded = LoadMessageBytes(table, MessageFileFormat::kXml, c.xml);
    EXPECT_EQ(loaded.Kind(), ErrorKind::kInput) << c.xml;
    EXPECT_EQ(loaded.Message(), c.error);
    EXPECT_EQ(table.GetItemText(3, MessageTable::kMessageColumn), "keep");
    EXPECT_TRUE(table.IsModified());
  }
}

TEST(MessageXmlTest, ATopLevelElementWithoutRowsLoadsAnEmptyTable) {
  MessageTable table;
  table.SetRow(3, MessageRow{"old", "", 1, ""});
  ASSERT_FALSE(LoadMessageBytes(table, MessageFileFormat::kXml, "<Linkwright/>").Failed());
  EXPECT_EQ(table.LastUsedRow(), 0);
  EXPECT_FALSE(table.IsModified());
}

}  // namespace

}  // namespace linkwright
