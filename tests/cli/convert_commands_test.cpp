#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LINKWRIGHT_SOURCE_DIR) / "examples";

TEST(ConvertCommandTest, TheTextImportDemoConvertsToTheXmlDemo) {
  TempDir dir;
  std::string out = (dir / "demo.xml").string();
  ProcessResult result = RunCli({"convert", (kExamples / "demo.txt").string(), out});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(kExamples / "demo.xml"));
}

TEST(ConvertCommandTest, AnArchiveAndAnXmlFileConvertToXml) {
  TempDir dir;
  const std::string archive = std::string("\x01\x00\x00\x00", 4) + "\x07" + "A //<c>" + '\0';
  WriteFileBytes(dir / "in.bin", archive);
  WriteFileBytes(dir / "in.XML", "<old><row><trigger>&amp;</trigger></row></old>");
  struct Case {
    std::string input;
    std::string row;
  };
  for (const Case& c :
       std::vector<Case>{{"in.bin",
                          "\t\t<message>A</message>\r\n\t\t<comment>&lt;c&gt;</comment>\r\n"
                          "\t\t<active>1</active>\r\n\t\t<trigger></trigger>\r\n"},
                         {"in.XML",
                          "\t\t<message></message>\r\n\t\t<comment></comment>\r\n"
                          "\t\t<active>0</active>\r\n\t\t<trigger>&amp;</trigger>\r\n"}}) {
    std::string out = (dir / "out.xml").string();
    ProcessResult result = RunCli({"convert", (dir / c.input).string(), out});
    EXPECT_EQ(result.exitCode, 0) << c.input << ": " << result.err;
    EXPECT_EQ(ReadFileBytes(out),
              "<?xml version='1.0' encoding='UTF-8'?>\r\n<Linkwright>\r\n\t<row id='1'>\r\n" +
                  c.row + "\t</row>\r\n</Linkwright>\r\n")
        << c.input;
  }
}

TEST(ConvertCommandTest, FailuresPrintOneLineAndLeaveNoOutput) {
  TempDir dir;
  WriteFileBytes(dir / "bad.xml", "no element here");
  WriteFileBytes(dir / "good.txt", "F1 1\nM\nT\n");
  const std::string base = dir.path().string();
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{base + "/missing.txt", base + "/out.xml"},
            "linkwright-cli: cannot open " + base + "/missing.txt: No such file or directory\n"},
           {{base + "/bad.xml", base + "/out.xml"},
            "linkwright-cli: " + base + "/bad.xml: not a message file: Element tag not found\n"},
           {{base + "/good.txt", base + "/none/out.xml"},
            "linkwright-cli: cannot write " + base + "/none/out.xml: No such file or directory\n"},
       }) {
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProcessResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 1) << c.args[0];
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.xml"));
  }
}

TEST(ConvertCommandTest, MissingArgumentsOrANameThatWouldNotLoadAsXmlAreUsageErrors) {
  TempDir dir;
  WriteFileBytes(dir / "in.txt", "F1 1\nM\nT\n");
  std::string in = (dir / "in.txt").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"convert"}, {"convert", in}, {"convert", in, (dir / "out.txt").string()}}) {
    ProcessResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 2) << args.size();
    EXPECT_NE(result.err, "");
  }
  EXPECT_EQ(ReadFileBytes(in), "F1 1\nM\nT\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
}

}  // namespace
