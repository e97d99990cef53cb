#pragma once

#include <cstdint>
#include <string>

class CConfiguration;

// The "Connection"/"SocketPort" setting as a port number. False, with `reason` telling why, when
// the setting lies outside 1 … 65535: a link never opens on a port the user did not name.
bool ReadSocketPort(const CConfiguration& config, uint16_t& port, std::string& reason);
