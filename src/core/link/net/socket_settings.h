#pragma once

#include <cstdint>

#include "error.h"

class CConfiguration;

// The "Connection"/"SocketPort" setting as a port number. A setting error when it lies outside
// 1 … 65535: a link never opens on a port the user did not name.
Error ReadSocketPort(const CConfiguration& config, uint16_t& port);
