#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace linkwright {

namespace {

// The console program run by the shell with standard output redirected as `redirection` says
// (after the shell's own preparations in `setup`).
ProcessResult RunCliWithOutput(const std::string& setup, const std::vector<std::string>& args,
                               const std::string& redirection) {
  std::string line = setup + "exec '" + std::string(LINKWRIGHT_CLI_PATH) + "'";
  for (const std::string& arg : args) {
    line += " '" + arg + "'";
  }
  return RunProgram("sh", {"-c", line + " " + redirection});
}

// Output that does not arrive fails the command that printed it, with one error line.
TEST(PrintedOutputTest, ACommandWhoseOutputCannotBeWrittenFails) {
  TempDir dir;
  const std::string config = (dir / "linkwright.cfg").string();
  const std::vector<std::vector<std::string>> commands = {
      {"symbols"},
      {"--config", config, "config", "list"},
      {"--config", config, "config", "get", "General", "TestMode"},
      {"crc", "A"},
      {"decode", "A[CR]"},
      {"encode", "410D"},
      {"--help"},
      {"--version"},
  };
  for (const std::vector<std::string>& command : commands) {
    const ProcessResult result = RunCliWithOutput("", command, "> /dev/full");
    EXPECT_EQ(result.exitCode, 1) << command[0];
    EXPECT_EQ(result.err,
              "linkwright-cli: cannot write to standard output: No space left on "
              "device\n")
        << command[0];
  }
}

// A reader that went away is no failure worth a word: a pipe whose reading end is closed, with
// SIGPIPE ignored so that the write fails instead of ending the program.
TEST(PrintedOutputTest, AClosedPipeStaysQuiet) {
  TempDir dir;
  const std::string fifo = (dir / "pipe").string();
  const ProcessResult result = RunCliWithOutput(
      "mkfifo '" + fifo + "' && exec 4<>'" + fifo + "' 5>'" + fifo + "' 4<&- && trap '' PIPE && ",
      {"symbols"}, ">&5");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
}

}  // namespace

}  // namespace linkwright
