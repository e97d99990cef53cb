#include "atomic_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <random>

#include "diag/diag_log.h"

namespace linkwright {

namespace {

// The file a save really replaces: the target of a symbolic link rather than the link.
std::filesystem::path ResolvedTarget(const std::filesystem::path& path) {
  std::error_code ignored;
  if (std::filesystem::is_symlink(path, ignored)) {
    std::filesystem::path target = std::filesystem::canonical(path, ignored);
    if (!target.empty()) {
      return target;
    }
  }
  return path;
}

// Holds SIGINT and SIGTERM back on this thread while it lives: a stop request that comes while
// a named temporary file exists takes effect once that file has been renamed or removed, so it
// never leaves the file behind.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &m_Previous);
  }
  ~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_Previous, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t m_Previous;
};

// Tries names beside `target` that nobody else uses (".NAME.XXXXXXXX.tmp") until `create`,
// given one, stops failing with EEXIST; returns what `create` returned last, with the name in
// `tempPath`.
template <typename Create>
int WithTemporaryName(const std::filesystem::path& target, std::string& tempPath, Create create) {
  std::random_device seed;
  std::mt19937 generator(seed());
  std::filesystem::path folder = target.parent_path();
  int result = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(generator()));
    tempPath = (folder / ("." + target.filename().string() + suffix + ".tmp")).string();
    result = create(tempPath.c_str());
    if (result >= 0 || errno != EEXIST) {
      return result;
    }
  }
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Gives the new file the old one's permission bits, so a save does not widen or narrow access.
bool KeepPermissions(int fd, const std::filesystem::path& target) {
  struct stat old {};
  if (stat(target.c_str(), &old) != 0) {
    return errno == ENOENT;
  }
  return fchmod(fd, old.st_mode & 07777) == 0;
}

// Writes and flushes the new content, with the old file's permissions.
bool Fill(int fd, std::string_view bytes, const std::filesystem::path& target) {
  return WriteAll(fd, bytes) && KeepPermissions(fd, target) && fsync(fd) == 0;
}

// Closes the file descriptor after a step that gave `ok`: true when both went well; errno
// tells the first failure.
bool CloseAfter(int fd, bool ok) {
  const int savedErrno = errno;
  const bool closed = close(fd) == 0;
  if (!ok) {
    errno = savedErrno;
  }
  return ok && closed;
}

// Removes a temporary file that will not be renamed, keeping errno as the failure left it.
void RemoveAfterFailure(const std::string& tempPath) {
  const int savedErrno = errno;
  unlink(tempPath.c_str());
  errno = savedErrno;
}

// The content goes to a file without a name in the target's folder (O_TMPFILE), which gets a
// temporary name only once it is complete and is then renamed over the target: a process
// killed while writing, even by SIGKILL, leaves nothing behind. Nothing when the file system
// cannot make or link such a file, so the caller takes the named way; otherwise whether the
// file was replaced, errno telling why not.
std::optional<bool> ReplaceThroughUnnamedFile(const std::filesystem::path& target,
                                              std::string_view bytes) {
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    return std::nullopt;
  }
  if (!Fill(fd, bytes, target)) {
    return CloseAfter(fd, false);
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  StopSignalsHeld held;
  std::string tempPath;
  const int linked = WithTemporaryName(target, tempPath, [&self](const char* name) {
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name, AT_SYMLINK_FOLLOW);
  });
  if (linked != 0) {
    close(fd);
    return std::nullopt;
  }
  const bool renamed = std::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!renamed) {
    RemoveAfterFailure(tempPath);
  }
  return CloseAfter(fd, renamed);
}

// The content goes to a new named file beside the target, which is renamed over it; stop
// requests wait until the named file is gone.
bool ReplaceThroughNamedFile(const std::filesystem::path& target, std::string_view bytes) {
  StopSignalsHeld held;
  std::string tempPath;
  const int fd = WithTemporaryName(target, tempPath, [](const char* name) {
    return open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  });
  if (fd < 0) {
    return false;
  }
  if (CloseAfter(fd, Fill(fd, bytes, target)) &&
      std::rename(tempPath.c_str(), target.c_str()) == 0) {
    return true;
  }
  RemoveAfterFailure(tempPath);
  return false;
}

// Only a regular file (or nothing yet) may be replaced: renaming over a device such as
// /dev/full, or over a folder's entry of another kind, would destroy it.
bool IsReplaceable(const std::filesystem::path& target) {
  std::error_code error;
  auto type = std::filesystem::status(target, error).type();
  return type == std::filesystem::file_type::not_found ||
         type == std::filesystem::file_type::regular;
}

}  // namespace

Error WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path target = ResolvedTarget(path);
  if (!IsReplaceable(target)) {
    return Error(ErrorKind::kSystem, "cannot write " + path.string() + ": not a regular file");
  }
  std::optional<bool> replaced = ReplaceThroughUnnamedFile(target, bytes);
  if (!replaced) {
    replaced = ReplaceThroughNamedFile(target, bytes);
  }
  if (!*replaced) {
    return Error(ErrorKind::kSystem,
                 "cannot write " + path.string() + ": " + SystemErrorText(errno));
  }
  return Error();
}

}  // namespace linkwright
