#include "support/running_cli.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace linkwright {

RunningCli::RunningCli(const std::vector<std::string>& args) {
  std::vector<std::string> argvText{LINKWRIGHT_CLI_PATH};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argvText) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  const std::string out = (m_Dir / "out").string();
  const std::string err = (m_Dir / "err").string();
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
    m_Pid = pid;
  }
  posix_spawn_file_actions_destroy(&files);
}

RunningCli::~RunningCli() {
  if (m_Pid > 0) {
    kill(m_Pid, SIGKILL);
    waitpid(m_Pid, nullptr, 0);
  }
}

bool RunningCli::Signal(int signal) {
  return m_Pid > 0 && kill(m_Pid, signal) == 0;
}

int RunningCli::Wait(std::chrono::milliseconds limit) {
  if (m_Pid <= 0) {
    return -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(m_Pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(m_Pid, SIGKILL);
      waitpid(m_Pid, &status, 0);
      m_Pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  m_Pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RunningCli::WaitForOut(const std::string& text, std::chrono::milliseconds limit) const {
  return WaitForText("out", text, limit);
}

bool RunningCli::WaitForErr(const std::string& text, std::chrono::milliseconds limit) const {
  return WaitForText("err", text, limit);
}

bool RunningCli::WaitForText(const std::string& file, const std::string& text,
                             std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (ReadFileBytes(m_Dir / file).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace linkwright
