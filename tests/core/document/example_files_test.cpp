#include <gtest/gtest.h>
#include <boost/regex.hpp>

#include <filesystem>
#include <string>

#include "codec/escape_codec.h"
#include "document/message_file.h"
#include "document/message_table.h"
#include "document/message_xml.h"
#include "message_row_printer.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LINKWRIGHT_SOURCE_DIR) / "examples";

MessageTable LoadExample(const std::string& name) {
  MessageTable table;
  const Error loaded = LoadMessageFile(table, kExamples / name);
  EXPECT_FALSE(loaded.Failed()) << loaded.Message();
  return table;
}

// Whether a packet would answer the row: equal bytes, or a whole match of the decoded trigger
// as a Perl regular expression.
bool TriggerAnswers(const std::string& trigger, const std::string& packet) {
  ByteString pattern = TextToBytes(trigger);
  return pattern == packet || boost::regex_match(packet, boost::regex(pattern));
}

TEST(ExampleFilesTest, TheXmlAndTheTextImportDemoHoldTheSameTable) {
  MessageTable xml = LoadExample("demo.xml");
  MessageTable text = LoadExample("demo.txt");
  EXPECT_GE(xml.LastUsedRow(), 4);
  for (int row = 1; row <= 99; ++row) {
    EXPECT_EQ(xml.GetRow(row), text.GetRow(row)) << row;
  }
}

TEST(ExampleFilesTest, TheXmlDemoIsExactlyWhatSavingItWrites) {
  EXPECT_EQ(FormatMessageXml(LoadExample("demo.xml")), ReadFileBytes(kExamples / "demo.xml"));
}

TEST(ExampleFilesTest, TheDemoAnswersItsRequestsAndHasAnAutoSendRow) {
  MessageTable demo = LoadExample("demo.xml");
  struct Request {
    std::string packet;
    std::string reply;
  };
  for (const Request& request :
       {Request{"PING\r", "PONG[CR]"},
        Request{"\x02STATUS?\x03\r", "[STX]STATUS OK 23.5C[ETX][CR]"},
        Request{"GET 7\r", "VALUE 42[CR]"}, Request{"GET 1234\r", "VALUE 42[CR]"}}) {
    int answering = 0;
    for (int row = 1; row <= demo.LastUsedRow() && answering == 0; ++row) {
      if (demo.GetActive(row) != 0 &&
          TriggerAnswers(demo.GetItemText(row, MessageTable::kTriggerColumn), request.packet)) {
        answering = row;
      }
    }
    ASSERT_NE(answering, 0) << BytesToText(request.packet, false);
    EXPECT_EQ(demo.GetItemText(answering, MessageTable::kMessageColumn), request.reply);
  }
  for (const char* other : {"GET \r", "GET x\r", "PING", "ping\r"}) {
    for (int row = 1; row <= demo.LastUsedRow(); ++row) {
      if (demo.GetActive(row) != 0 &&
          !demo.GetItemText(row, MessageTable::kTriggerColumn).empty()) {
        EXPECT_FALSE(TriggerAnswers(demo.GetItemText(row, MessageTable::kTriggerColumn), other))
            << row << " " << other;
      }
    }
  }
  bool autoSendRow = false;
  for (int row = 1; row <= demo.LastUsedRow(); ++row) {
    autoSendRow |= demo.GetActive(row) != 0 &&
                   demo.GetItemText(row, MessageTable::kTriggerColumn).empty() &&
                   !demo.GetItemText(row, MessageTable::kMessageColumn).empty();
  }
  EXPECT_TRUE(autoSendRow);
}

}  // namespace

}  // namespace linkwright
