#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace linkwright {

// Sets the speed of an open serial device to any number of bits per second the driver takes,
// not only the classic list (250000, 1000000, 3000000 …). Empty on success, else the reason.
std::string SetLineSpeed(int fd, std::uint32_t baud);

// The speed the driver reports for the device; nothing when it cannot tell.
std::optional<std::uint32_t> LineSpeed(int fd);

}  // namespace linkwright
