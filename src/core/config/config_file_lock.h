#pragma once

#include <filesystem>

namespace linkwright {

// An exclusive lock on the configuration file, held from construction to destruction, for a
// read-change-save sequence: two processes that each change one key of the same file then
// both see their change kept. Other lockers wait; plain readers are not held up. The file is
// created empty when missing (its folder must exist). A save replaces the file by renaming a
// new one over it, so the lock is retaken until it sits on the file the path names. When the
// file cannot be opened or locked, or is no regular file (a FIFO, a device), nothing is held
// and the sequence runs unguarded; the save then reports its own failure. Never waits for
// anything but another locker.
class ConfigFileLock {
 public:
  explicit ConfigFileLock(const std::filesystem::path& path);
  ~ConfigFileLock();
  ConfigFileLock(ConfigFileLock&& other) noexcept;
  ConfigFileLock& operator=(ConfigFileLock&&) = delete;
  ConfigFileLock(const ConfigFileLock&) = delete;
  ConfigFileLock& operator=(const ConfigFileLock&) = delete;

  bool Held() const { return m_Fd >= 0; }

 private:
  int m_Fd = -1;
};

}  // namespace linkwright
