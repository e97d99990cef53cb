#include "front_end/result_beep.h"

#include "config/configuration.h"
#include "front_end/front_end.h"

namespace linkwright {

void PlayResultBeep(const Configuration& config, FrontEnd& frontEnd, bool result) {
  if (config.GetBool(result ? setting::kBeepOnSuccess : setting::kBeepOnFailure)) {
    frontEnd.PlaySignal(result);
  }
}

}  // namespace linkwright
