#pragma once

namespace linkwright {

class Configuration;
class FrontEnd;

// Sounds the outcome of an operation: the success signal when result is true and
// "UserInterface"/"BeepOnSuccess" is set, the failure signal when result is false and
// "BeepOnFailure" is set, otherwise nothing. Both settings are read at every call.
void PlayResultBeep(const Configuration& config, FrontEnd& frontEnd, bool result);

}  // namespace linkwright
