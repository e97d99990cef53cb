#include "diag/diag_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "diag/program_path.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

// This program's file is core_diag_tests; a copy under another name is told its expected
// module name through this variable.
constexpr const char* kExpectedModuleVariable = "LINKWRIGHT_EXPECTED_MODULE";

std::string ExpectedModule() {
  const char* expected = std::getenv(kExpectedModuleVariable);
  return expected != nullptr ? expected : "core_diag_tests";
}

const std::string kHeader = "|app                 |c|message\n";

// Set for a child run of this program that logs a socket error from the destructor of a static
// object, after the thread's own objects are gone.
constexpr const char* kLogAtExitVariable = "LINKWRIGHT_DIAG_LOG_AT_EXIT";
const std::string kLongSocketErrorText = "Connection reset by peer while closing the link";

struct SocketErrorLoggedOnDestruction {
  ~SocketErrorLoggedOnDestruction() { LogSocketError(104, kLongSocketErrorText); }
};

const bool kArmedLogAtExit = [] {
  if (std::getenv(kLogAtExitVariable) == nullptr) {
    return false;
  }
  static SocketErrorLoggedOnDestruction atExit;
  SetDiagToStandardError();
  return true;
}();

// Collects what the log writes, one entry per sink call, while it lives.
class CapturedLines {
 public:
  CapturedLines() {
    SetDiagSink([this](std::string_view line) { m_Lines.emplace_back(line); });
  }
  ~CapturedLines() { SetDiagSink(nullptr); }

  // The lines after the header, which must come first.
  std::vector<std::string> Body() const {
    if (m_Lines.empty()) {
      return {};
    }
    EXPECT_EQ(m_Lines.front(), kHeader);
    return {m_Lines.begin() + 1, m_Lines.end()};
  }

  const std::vector<std::string>& All() const { return m_Lines; }

 private:
  std::vector<std::string> m_Lines;
};

std::string Line(char level, const std::string& text) {
  std::string module = ExpectedModule();
  module.resize(20, ' ');
  return "|" + module + "|" + level + "|" + text + "\n";
}

TEST(DiagLog, HeaderPrecedesTheFirstLineOfEachDestination) {
  {
    CapturedLines captured;
    EXPECT_TRUE(DiagLog('W', "AutoSend() fallito : nessuna riga selezionata"));
    EXPECT_TRUE(DiagLog('I', "second"));
    EXPECT_EQ(
        captured.All(),
        (std::vector<std::string>{
            kHeader, "|core_diag_tests     |W|AutoSend() fallito : nessuna riga selezionata\n",
            Line('I', "second")}));
  }
  CapturedLines again;
  DiagLog('E', "third");
  EXPECT_EQ(again.All(), (std::vector<std::string>{kHeader, Line('E', "third")}));
}

TEST(DiagLog, LinesOnlyTextWritesNothingNotEvenTheHeader) {
  CapturedLines captured;
  DiagLog(' ', "\r\n\n\r");
  DiagLog(' ', "%s", "");
  EXPECT_TRUE(captured.All().empty());
  DiagLog(' ', "now");
  EXPECT_EQ(captured.All(), (std::vector<std::string>{kHeader, Line(' ', "now")}));
}

struct SplitCase {
  std::string text;
  std::vector<std::string> lines;
};

class DiagLogSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(DiagLogSplitTest, WritesOneLinePerNonEmptyTextLine) {
  CapturedLines captured;
  DiagLog('W', "%s", GetParam().text.c_str());
  std::vector<std::string> expected;
  for (const auto& line : GetParam().lines) {
    expected.push_back(Line('W', line));
  }
  EXPECT_EQ(captured.Body(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, DiagLogSplitTest,
    testing::Values(SplitCase{"one\r\ntwo\r\nthree", {"one", "two", "three"}},
                    SplitCase{"Check regex \"[0-9]+\"\n", {"Check regex \"[0-9]+\""}},
                    SplitCase{"trailing\n\r", {"trailing"}}, SplitCase{"\r\rleading", {"leading"}},
                    SplitCase{"a\n\n\r\n\rb", {"a", "b"}}, SplitCase{"cr\ronly", {"cr", "only"}},
                    SplitCase{" blank kept ", {" blank kept "}}));

TEST(DiagLog, FormatsArgumentsLikePrintf) {
  CapturedLines captured;
  DiagLog(' ', "<Tx (len = %d) \"%s\"", 3, "A%B");
  DiagLog('W', "MySendHTTP() : recv Timeout elapsed (Timeout = %ld msec)\n", 5000L);
  EXPECT_EQ(captured.Body(), (std::vector<std::string>{Line(' ', "<Tx (len = 3) \"A%B\""),
                                                       Line('W',
                                                            "MySendHTTP() : recv Timeout elapsed "
                                                            "(Timeout = 5000 msec)")}));
}

TEST(DiagLog, CutsTheTextAt2560Characters) {
  CapturedLines captured;
  DiagLog('E', "%s", std::string(3000, 'a').c_str());
  // The cut comes before the split: of "\nXYZ" after 2558 characters only "\nX" survives.
  DiagLog('E', "%s\nXYZ", std::string(2558, 'b').c_str());
  EXPECT_EQ(captured.Body(),
            (std::vector<std::string>{Line('E', std::string(2560, 'a')),
                                      Line('E', std::string(2558, 'b')), Line('E', "X")}));
}

TEST(ReportSocketError, WritesNothingForCodeZeroOrBelow) {
  CapturedLines captured;
  ReportSocketError("connect()", 0);
  ReportSocketError("connect()", -1, "negative");
  EXPECT_TRUE(captured.All().empty());
}

TEST(ReportSocketError, WritesContextCodeAndSystemTextWithoutItsLineBreak) {
  CapturedLines captured;
  ReportSocketError("CLinkController::Open()", ECONNREFUSED);
  ReportSocketError("connect()", 10061, "No connection could be made.\r\n");
  EXPECT_EQ(captured.Body(),
            (std::vector<std::string>{
                Line('E', "CLinkController::Open() ... Error " + std::to_string(ECONNREFUSED) +
                              " : " + SystemErrorText(ECONNREFUSED)),
                Line('E', "connect() ... Error 10061 : No connection could be made.")}));
  EXPECT_FALSE(SystemErrorText(ECONNREFUSED).empty());
}

TEST(LogSocketError, WritesEvenForCodeZero) {
  CapturedLines captured;
  LogSocketError(0);
  LogSocketError(10054, "Connection reset by peer");
  EXPECT_EQ(captured.Body(),
            (std::vector<std::string>{Line('E', "Socket error 0 : " + SystemErrorText(0)),
                                      Line('E', "Socket error 10054 : Connection reset by peer")}));
}

TEST(LogSocketError, StillWritesFromStaticDestructors) {
  ASSERT_FALSE(kArmedLogAtExit);
  ASSERT_EQ(setenv(kLogAtExitVariable, "1", 1), 0);
  ProcessResult result = RunProgram(ProgramPath().string(), {"--gtest_filter=-*"});
  unsetenv(kLogAtExitVariable);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, kHeader + Line('E', "Socket error 104 : " + kLongSocketErrorText));
}

TEST(DiagLogModuleName, LinesCarryTheProgramFileNameUpToItsFirstDot) {
  CapturedLines captured;
  DiagLog('I', "hello");
  EXPECT_EQ(captured.Body(), (std::vector<std::string>{Line('I', "hello")}));
}

struct ModuleCase {
  std::string fileName;
  std::string module;
};

class DiagLogRenamedProgramTest : public testing::TestWithParam<ModuleCase> {};

// Runs a copy of this program under another file name and lets it check its own lines.
TEST_P(DiagLogRenamedProgramTest, UsesTheNameOfTheRunningFile) {
  TempDir folder;
  std::filesystem::path copy = folder / GetParam().fileName;
  std::filesystem::copy_file(ProgramPath(), copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  ASSERT_EQ(setenv(kExpectedModuleVariable, GetParam().module.c_str(), 1), 0);
  ProcessResult result =
      RunProgram(copy.string(),
                 {"--gtest_filter=DiagLogModuleName.LinesCarryTheProgramFileNameUpToItsFirstDot"});
  unsetenv(kExpectedModuleVariable);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("[  PASSED  ] 1 test."), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    FileNames, DiagLogRenamedProgramTest,
    testing::Values(ModuleCase{"my.tool.exe", "my"}, ModuleCase{"tool", "tool"},
                    ModuleCase{"a_program_file_name_longer_than_twenty.exe",
                               "a_program_file_name_"},
                    ModuleCase{"exactly_twenty_chars", "exactly_twenty_chars"}));

}  // namespace

}  // namespace linkwright
