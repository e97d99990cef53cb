#include "session/settings_change.h"

#include "config/connection_signature.h"
#include "session/session.h"

namespace linkwright {

bool ApplyChangedSettings(Session& session, const Configuration& config,
                          const std::string& signatureBefore) {
  bool reopened = true;
  if (session.IsOpen() && ConnectionSignature(config) != signatureBefore) {
    session.CloseConnection();
    reopened = session.OpenConnection();
  }
  session.UpdateStatus();
  session.StartAutoSend();
  return reopened;
}

}  // namespace linkwright
