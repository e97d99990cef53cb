#include "link/net/socket_support.h"

#include <boost/asio/error.hpp>

#include "diag/diag_log.h"

namespace linkwright {

void LogSocketFailure(const boost::system::error_code& error) {
  LogSocketError(error.value(), error.message());
}

void ReportSocketFailure(const char* context, const boost::system::error_code& error) {
  ReportSocketError(context, error.value(), error.message());
}

Error SocketFailure(const std::string& what, const boost::system::error_code& error) {
  const ErrorKind kind =
      error == boost::asio::error::timed_out ? ErrorKind::kTimeout : ErrorKind::kSystem;
  return {kind, what + ": " + error.message()};
}

}  // namespace linkwright
