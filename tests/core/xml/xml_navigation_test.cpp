#include <gtest/gtest.h>

#include <string>

#include "xml/xml_reader.h"

namespace linkwright {

namespace {

constexpr char kTable[] =
    "<?xml version=\"1.0\"?>\n"
    "<messages version=\"2\">\n"
    "  <row><message>one</message><comment>first</comment></row>\n"
    "  <Row><message>upper</message></Row>\n"
    "  <rows><message>plural</message></rows>\n"
    "  <row><comment>second</comment><message>two</message><active>1</active></row>\n"
    "</messages>\n";

class NavigationTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_Reader.SetText(kTable)); }
  XmlReader m_Reader;
};

TEST_F(NavigationTest, ChildSearchStepsOntoTopLevelElementWhateverItsName) {
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  EXPECT_EQ(m_Reader.GetChildTextByName("message"), "one");
}

TEST_F(NavigationTest, NamesAreCaseSensitiveAndWhole) {
  std::string messages;
  while (m_Reader.FindChildElement("row")) {
    m_Reader.EnterElement();
    messages += m_Reader.GetChildTextByName("message") + ";";
    m_Reader.LeaveElement();
  }
  EXPECT_EQ(messages, "one;two;");
}

TEST_F(NavigationTest, NameMayCarryAttributeTail) {
  for (const char* name : {"row id=\"1\"", "row/", "row[1]", "row=x"}) {
    XmlReader reader;
    ASSERT_TRUE(reader.SetText(kTable));
    EXPECT_TRUE(reader.FindChildElement(name)) << name;
    EXPECT_TRUE(reader.EnterElement());
    EXPECT_EQ(reader.GetChildTextByName("message"), "one") << name;
  }
  EXPECT_FALSE(m_Reader.FindChildElement("ro"));
  EXPECT_FALSE(m_Reader.FindChildElement("row-"));
}

TEST_F(NavigationTest, EmptyNameMatchesEveryElement) {
  int children = 0;
  while (m_Reader.FindChildElement()) {
    ++children;
  }
  EXPECT_EQ(children, 4);
}

TEST_F(NavigationTest, LookupByNameIgnoresChildOrder) {
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  ByteString text = "stale";
  EXPECT_TRUE(m_Reader.GetChildTextByName("active", text));
  EXPECT_EQ(text, "1");
  EXPECT_FALSE(m_Reader.GetChildTextByName("trigger", text));
  EXPECT_EQ(text, "");
  EXPECT_EQ(m_Reader.GetChildTextByName("message"), "two");
  EXPECT_EQ(m_Reader.GetChildTextByName("comment"), "second");
  EXPECT_EQ(m_Reader.GetChildTextByName("active"), "1");
}

TEST_F(NavigationTest, FindElementWalksSiblingsAfterTheCurrentOne) {
  ASSERT_TRUE(m_Reader.FindChildElement("rows"));
  ASSERT_TRUE(m_Reader.EnterElement());
  EXPECT_TRUE(m_Reader.FindElement("row"));
  EXPECT_TRUE(m_Reader.FindChildElement("comment"));
  EXPECT_EQ(m_Reader.GetChildText(), "second");
  EXPECT_FALSE(m_Reader.FindElement("row"));
  EXPECT_EQ(m_Reader.GetChildText(), "second");
}

TEST_F(NavigationTest, EnterAndLeaveRetraceThePath) {
  EXPECT_FALSE(m_Reader.EnterElement());
  EXPECT_FALSE(m_Reader.LeaveElement());
  ASSERT_TRUE(m_Reader.FindChildElement("Row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  ASSERT_TRUE(m_Reader.FindChildElement("message"));
  ASSERT_TRUE(m_Reader.EnterElement());
  EXPECT_FALSE(m_Reader.FindChildElement());
  ASSERT_TRUE(m_Reader.LeaveElement());
  EXPECT_EQ(m_Reader.GetChildText(), "upper");
  ASSERT_TRUE(m_Reader.LeaveElement());
  EXPECT_EQ(m_Reader.GetChildText(), "");
  EXPECT_TRUE(m_Reader.FindChildElement("rows"));
  EXPECT_FALSE(m_Reader.LeaveElement());
}

TEST_F(NavigationTest, ChildSearchInsideChildlessElementStaysThere) {
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  ASSERT_TRUE(m_Reader.FindChildElement("message"));
  ASSERT_TRUE(m_Reader.EnterElement());
  ASSERT_TRUE(m_Reader.EnterElement());
  EXPECT_FALSE(m_Reader.FindChildElement("row"));
  EXPECT_FALSE(m_Reader.FindChildElement("messages"));
  ASSERT_TRUE(m_Reader.LeaveElement());
  ASSERT_TRUE(m_Reader.LeaveElement());
  EXPECT_EQ(m_Reader.GetChildText(), "one");
}

TEST_F(NavigationTest, NewParseResetsPositions) {
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  ASSERT_TRUE(m_Reader.SetText("<other><row><message>x</message></row></other>"));
  EXPECT_EQ(m_Reader.GetChildText(), "");
  ASSERT_TRUE(m_Reader.FindChildElement("row"));
  ASSERT_TRUE(m_Reader.EnterElement());
  EXPECT_EQ(m_Reader.GetChildTextByName("message"), "x");
}

}  // namespace

}  // namespace linkwright
