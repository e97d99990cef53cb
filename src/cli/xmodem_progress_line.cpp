#include "xmodem_progress_line.h"

#include <ostream>

namespace linkwright {

XmodemProgressLine::XmodemProgressLine(std::ostream& out, bool show) : m_Out(out), m_Show(show) {}

XmodemProgressLine::~XmodemProgressLine() {
  if (m_Shown) {
    m_Out << '\n' << std::flush;
  }
}

TransferMonitor XmodemProgressLine::Monitor() {
  TransferMonitor monitor;
  if (m_Show) {
    monitor.progress = [this](int done, int total) { Show(done, total); };
  }
  return monitor;
}

void XmodemProgressLine::Show(int done, int total) {
  m_Out << "\rXmodem: block " << done;
  if (total > 0) {
    m_Out << " of " << total;
  }
  m_Out << std::flush;
  m_Shown = true;
}

}  // namespace linkwright
