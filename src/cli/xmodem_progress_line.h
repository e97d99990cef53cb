#pragma once

#include <iosfwd>

#include "link/transport.h"

namespace linkwright {

// The progress of Xmodem transfers as one line on a terminal, written over in place
// ("Xmodem: block 3 of 8"); the line is ended when the object goes. Shows nothing when `show`
// is false (the stream is no terminal), so scripts never see it.
class XmodemProgressLine {
 public:
  XmodemProgressLine(std::ostream& out, bool show);
  ~XmodemProgressLine();
  XmodemProgressLine(const XmodemProgressLine&) = delete;
  XmodemProgressLine& operator=(const XmodemProgressLine&) = delete;

  // A monitor that reports to this line.
  TransferMonitor Monitor();

 private:
  void Show(int done, int total);

  std::ostream& m_Out;
  bool m_Show;
  bool m_Shown = false;
};

}  // namespace linkwright
