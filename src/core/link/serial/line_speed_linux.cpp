// The termios2 interface lives in the kernel's own headers, which clash with <termios.h>; this
// file is the only one that includes them.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>

#include "diag/diag_log.h"
#include "link/serial/line_speed.h"

namespace linkwright {

namespace {

// Drivers round a speed to what their clock divides to; a few percent off is what a UART
// still receives, more is a speed the device does not run.
constexpr double kSpeedTolerance = 0.03;

bool CloseEnough(std::uint32_t asked, std::uint32_t got) {
  const double difference = std::abs(static_cast<double>(asked) - static_cast<double>(got));
  return difference <= kSpeedTolerance * static_cast<double>(asked);
}

}  // namespace

std::string SetLineSpeed(int fd, std::uint32_t baud) {
  termios2 state{};
  if (::ioctl(fd, TCGETS2, &state) != 0) {
    return SystemErrorText(errno);
  }
  state.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  state.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  state.c_ispeed = baud;
  state.c_ospeed = baud;
  if (::ioctl(fd, TCSETS2, &state) != 0) {
    return SystemErrorText(errno);
  }
  const auto speed = LineSpeed(fd);
  if (speed && !CloseEnough(baud, *speed)) {
    return "the driver runs the device at " + std::to_string(*speed) + " instead";
  }
  return {};
}

std::optional<std::uint32_t> LineSpeed(int fd) {
  termios2 state{};
  if (::ioctl(fd, TCGETS2, &state) != 0) {
    return std::nullopt;
  }
  return state.c_ospeed;
}

}  // namespace linkwright
