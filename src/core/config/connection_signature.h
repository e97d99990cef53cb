#pragma once

#include <string>

namespace linkwright {

class Configuration;

// The settings an open link was opened with, joined into one text: "Mode", "ActAsServer",
// "SocketHost", "SocketPort" and "CommConfig" of section "Connection", in this order, with "|"
// between them. Only a change of this text needs the link reopened; every other setting is
// read when it is used.
std::string ConnectionSignature(const Configuration& configuration);

}  // namespace linkwright
