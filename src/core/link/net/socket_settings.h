#pragma once

#include <cstdint>

#include "error.h"

namespace linkwright {

class Configuration;

// The "Connection"/"SocketPort" setting as a port number. A setting error when it lies outside
// 1 … 65535: a link never opens on a port the user did not name.
Error ReadSocketPort(const Configuration& config, uint16_t& port);

}  // namespace linkwright
