#include <gtest/gtest.h>

#include "support/test_support.h"

namespace linkwright {

namespace {

struct CliCase {
  std::vector<std::string> args;
  int exitCode;
  std::string out;
};

class CodecCommandTest : public testing::TestWithParam<CliCase> {};

TEST_P(CodecCommandTest, PrintsExactlyTheExpectedText) {
  ProcessResult result = RunCli(GetParam().args);
  EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
  EXPECT_EQ(result.out, GetParam().out);
  if (GetParam().exitCode == 0) {
    EXPECT_EQ(result.err, "");
  } else {
    // One clear line on standard error.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    DecodeAndEncode, CodecCommandTest,
    testing::Values(CliCase{{"decode", "[STX]A"}, 0, "02 41 \n"}, CliCase{{"decode", ""}, 0, "\n"},
                    CliCase{{"decode", "[x100][FF][ 13]"}, 0, "00 0C 5B 20 31 33 5D \n"},
                    CliCase{{"encode", "02414203"}, 0, "[STX]AB[ETX]\n"},
                    CliCase{{"encode", "0d0A7f"}, 0, "[CR][LF]\x7F\n"},
                    CliCase{{"encode", "--all-hex", "02414203"}, 0, "[x02][x41][x42][x03]\n"},
                    CliCase{{"encode", ""}, 0, "\n"}, CliCase{{"encode", "024"}, 2, ""},
                    CliCase{{"encode", "0G"}, 2, ""}, CliCase{{"encode", "[x]"}, 2, ""},
                    CliCase{{"encode", "x1"}, 2, ""}, CliCase{{"decode"}, 2, ""},
                    CliCase{{"--version"}, 0, "linkwright-cli 1.0.0\n"}, CliCase{{}, 2, ""},
                    CliCase{{"no-such-command"}, 2, ""}));

TEST(SymbolsCommand, PrintsTheListingWithLineFeeds) {
  ProcessResult result = RunCli({"symbols"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find('\r'), std::string::npos);
  std::string head =
      "sym     dec   hex   ctrl\n------------------------\n NUL    00    0x00    ^@\n";
  EXPECT_EQ(result.out.substr(0, head.size()), head);
  ASSERT_GE(result.out.size(), 26u);
  EXPECT_EQ(result.out.substr(result.out.size() - 26), "\n  US    31    0x1f    ^_\n");
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 34);
}

TEST(HelpOption, ListsTheCommandsAndSucceeds) {
  ProcessResult result = RunCli({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* command : {"symbols", "decode", "encode", "crc", "config"}) {
    EXPECT_NE(result.out.find(command), std::string::npos) << command;
  }
}

}  // namespace

}  // namespace linkwright
