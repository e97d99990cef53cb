#include "support/file_size_limit.h"

#include <csignal>

namespace linkwright {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  getrlimit(RLIMIT_FSIZE, &m_Saved);
  m_OldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = m_Saved;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &m_Saved);
  std::signal(SIGXFSZ, m_OldHandler);
}

}  // namespace linkwright
