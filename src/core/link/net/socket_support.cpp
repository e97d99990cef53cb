#include "link/net/socket_support.h"

#include "diag/diag_log.h"

namespace commkit {

void LogSocketFailure(const boost::system::error_code& error) {
  SetLastSocketError(error.value(), error.message());
  LogSocketError();
}

}  // namespace commkit
