#pragma once

#include <sys/resource.h>

namespace linkwright {

// While alive, holds the largest file this process may write to `bytes`: a write that crosses
// the limit is cut short and the next one fails (EFBIG), the way a disk that fills up behaves.
// The signal such a write raises is ignored meanwhile.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_Saved{};
  void (*m_OldHandler)(int) = nullptr;
};

}  // namespace linkwright
