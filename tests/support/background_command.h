#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace linkwright {

// A shell command running in the background (`sh -c`), with standard input, output and error
// on /dev/null unless the command redirects them. Killed on destruction if still running.
class BackgroundCommand {
 public:
  explicit BackgroundCommand(const std::string& command);
  ~BackgroundCommand();
  BackgroundCommand(const BackgroundCommand&) = delete;
  BackgroundCommand& operator=(const BackgroundCommand&) = delete;

  bool started() const { return m_Pid > 0; }

  // Waits for the command to end; its exit status, or -1 when it was still running after the
  // limit (it is killed then) or ended by a signal.
  int Wait(std::chrono::milliseconds limit);

 private:
  pid_t m_Pid = -1;
};

}  // namespace linkwright
