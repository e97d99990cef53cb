#include "config/config_file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace linkwright {

namespace {

// Whether the open file is still the one the path names.
bool IsNamedBy(int fd, const std::filesystem::path& path) {
  struct stat held {};
  struct stat named {};
  return fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

bool IsRegularFile(int fd) {
  struct stat held {};
  return fstat(fd, &held) == 0 && S_ISREG(held.st_mode);
}

bool LockExclusively(int fd) {
  int result = 0;
  do {
    result = flock(fd, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace

ConfigFileLock::ConfigFileLock(const std::filesystem::path& path) {
  // Each round that finds the file replaced follows a save that another process finished.
  for (;;) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer that never comes.
    const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      return;
    }
    if (!IsRegularFile(fd) || !LockExclusively(fd)) {
      close(fd);
      return;
    }
    if (IsNamedBy(fd, path)) {
      m_Fd = fd;
      return;
    }
    close(fd);
  }
}

ConfigFileLock::~ConfigFileLock() {
  if (m_Fd >= 0) {
    close(m_Fd);
  }
}

ConfigFileLock::ConfigFileLock(ConfigFileLock&& other) noexcept : m_Fd(other.m_Fd) {
  other.m_Fd = -1;
}

}  // namespace linkwright
