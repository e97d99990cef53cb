#include "front_end/result_beep.h"

#include "config/configuration.h"
#include "front_end/front_end.h"

void PlayResultBeep(const CConfiguration& config, FrontEnd& frontEnd, bool result) {
  const char* key = result ? "BeepOnSuccess" : "BeepOnFailure";
  if (config.GetBool("UserInterface", key)) {
    frontEnd.PlaySignal(result);
  }
}
