#include "support/background_command.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace linkwright {

BackgroundCommand::BackgroundCommand(const std::string& command) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&files, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // Its own process group, so that killing it also ends whatever the shell started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/bin/sh", &files, &attributes, const_cast<char**>(argv), environ) == 0) {
    m_Pid = pid;
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
}

BackgroundCommand::~BackgroundCommand() {
  Wait(std::chrono::milliseconds(0));
}

int BackgroundCommand::Wait(std::chrono::milliseconds limit) {
  if (m_Pid <= 0) {
    return -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(m_Pid, &status, WNOHANG);
    if (done == m_Pid || done < 0) {
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(-m_Pid, SIGKILL);
      waitpid(m_Pid, &status, 0);
      m_Pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-m_Pid, SIGKILL);
  m_Pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace linkwright
