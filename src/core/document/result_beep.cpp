#include "document/result_beep.h"

#include "config/configuration.h"
#include "front_end.h"

void PlayResultBeep(FrontEnd& frontEnd, bool result) {
  const char* key = result ? "BeepOnSuccess" : "BeepOnFailure";
  if (GetConfiguration().GetBool("UserInterface", key)) {
    frontEnd.PlaySignal(result);
  }
}
