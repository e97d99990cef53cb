#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

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

// The file in `folder` that the process has open right now, if any.
std::optional<std::filesystem::path> OpenFileIn(pid_t pid, const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
    if (!error && target.parent_path() == folder) {
      return target;
    }
  }
  return std::nullopt;
}

TEST(ConvertCommandTest, ASaveStoppedBySignalLeavesNoTemporaryFile) {
  TempDir dir;
  // Ten megabytes, so the save lasts long enough to be caught under way on a busy machine.
  std::string rows;
  for (int row = 1; row <= 99; ++row) {
    rows += "F" + std::to_string(row) + " 1\n" + std::string(100000, 'm') + "\nT\n";
  }
  WriteFileBytes(dir / "in.txt", rows);
  const std::filesystem::path out = dir / "out";
  std::filesystem::create_directory(out);
  for (int signal : {SIGTERM, SIGKILL}) {
    RunningCli convert({"convert", (dir / "in.txt").string(), (out / "table.xml").string()});
    // The moment the program has a file open in the output folder, it is writing the save.
    std::optional<std::filesystem::path> writing;
    const auto end = std::chrono::steady_clock::now() + RunningCli::kPatience;
    while (!writing && std::chrono::steady_clock::now() < end) {
      writing = OpenFileIn(convert.pid(), out);
    }
    ASSERT_TRUE(writing) << "the save was not seen";
    convert.Signal(signal);
    convert.Wait();
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
      EXPECT_EQ(entry.path().filename(), "table.xml") << "signal " << signal;
    }
  }
}

TEST(ConvertCommandTest, RunningOutOfMemoryIsAFailureLineNotACrash) {
  TempDir dir;
  std::string many = "<r>";
  for (int i = 0; i < 2500000; ++i) {
    many += "<a/>";
  }
  WriteFileBytes(dir / "many.xml", many + "</r>");
  // 100 MB of address space starts the program, but cannot hold two and a half million parsed
  // elements.
  ProcessResult result = RunProgram(
      "sh", {"-c", "ulimit -v 100000; exec \"$0\" convert \"$1\" \"$2\"", LINKWRIGHT_CLI_PATH,
             (dir / "many.xml").string(), (dir / "out.xml").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "linkwright-cli: out of memory\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.xml"));
}

}  // namespace

}  // namespace linkwright
