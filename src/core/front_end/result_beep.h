#pragma once

class CConfiguration;
class FrontEnd;

// Sounds the outcome of an operation: the success signal when result is true and
// "UserInterface"/"BeepOnSuccess" is set, the failure signal when result is false and
// "BeepOnFailure" is set, otherwise nothing. Both settings are read at every call.
void PlayResultBeep(const CConfiguration& config, FrontEnd& frontEnd, bool result);
