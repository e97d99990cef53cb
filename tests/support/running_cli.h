#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace linkwright {

// The console program running in the background while a test talks to it. Standard input is
// empty; standard output and error go to files the test can read at any time. Killed on
// destruction if still running.
class RunningCli {
 public:
  static constexpr std::chrono::milliseconds kPatience{10000};

  explicit RunningCli(const std::vector<std::string>& args);
  ~RunningCli();
  RunningCli(const RunningCli&) = delete;
  RunningCli& operator=(const RunningCli&) = delete;

  bool started() const { return m_Pid > 0; }
  // The process id, for looking at the running program under /proc.
  pid_t pid() const { return m_Pid; }

  // Sends a signal (SIGTERM, SIGINT …) to the program.
  bool Signal(int signal);

  // Waits for the program to end: its exit code, or -1 when it was still running after the
  // limit (it is killed then) or was ended by a signal.
  int Wait(std::chrono::milliseconds limit = kPatience);

  std::string Out() const { return ReadFileBytes(m_Dir / "out"); }
  std::string Err() const { return ReadFileBytes(m_Dir / "err"); }

  // True as soon as standard output (or error) holds `text`; false when it did not within the
  // limit.
  bool WaitForOut(const std::string& text, std::chrono::milliseconds limit = kPatience) const;
  bool WaitForErr(const std::string& text, std::chrono::milliseconds limit = kPatience) const;

 private:
  bool WaitForText(const std::string& file, const std::string& text,
                   std::chrono::milliseconds limit) const;

  TempDir m_Dir;
  pid_t m_Pid = -1;
};

}  // namespace linkwright
