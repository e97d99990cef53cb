#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "diag/diag_log.h"

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

// Creates a new, empty file beside `target` with a name nobody else uses; -1 on failure.
int CreateTemporaryBeside(const std::filesystem::path& target, std::string& tempPath) {
  std::random_device seed;
  std::mt19937 generator(seed());
  std::filesystem::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(generator()));
    tempPath = (folder / ("." + target.filename().string() + suffix + ".tmp")).string();
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
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

// Writes, flushes and closes; the file descriptor is closed whatever happens.
bool FillAndClose(int fd, std::string_view bytes, const std::filesystem::path& target) {
  bool ok = WriteAll(fd, bytes) && KeepPermissions(fd, target) && fsync(fd) == 0;
  int savedErrno = errno;
  if (close(fd) != 0 && ok) {
    return false;
  }
  errno = savedErrno;
  return ok;
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

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& error) {
  std::filesystem::path target = ResolvedTarget(path);
  if (!IsReplaceable(target)) {
    error = "cannot write " + path.string() + ": not a regular file";
    return false;
  }
  std::string tempPath;
  int fd = CreateTemporaryBeside(target, tempPath);
  bool ok = fd >= 0 && FillAndClose(fd, bytes, target) &&
            std::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    int code = errno;
    if (fd >= 0) {
      unlink(tempPath.c_str());
    }
    error = "cannot write " + path.string() + ": " + SystemErrorText(code);
  }
  return ok;
}
