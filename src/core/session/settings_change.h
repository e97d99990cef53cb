#pragma once

#include <string>

namespace linkwright {

class Configuration;
class Session;

// What follows a confirmed change of the settings in `config` (the store the session reads):
// an open link whose connection signature (see ConnectionSignature) differs from
// `signatureBefore` is closed and opened again with the new settings; then the link status is
// shown if it changed and the AutoSend timer set anew, so a changed "Enabled" or "CycleTime" takes
// effect at once. Every other setting needs nothing: it is read when it is used.
// False when the link was reopened and did not open again (LastError of the session says
// why); true otherwise.
bool ApplyChangedSettings(Session& session, const Configuration& config,
                          const std::string& signatureBefore);

}  // namespace linkwright
