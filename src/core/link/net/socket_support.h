#pragma once

#include <cstdint>

#include <boost/asio/ip/udp.hpp>
#include <boost/system/error_code.hpp>
#include <string>

#include "error.h"

namespace linkwright {

using NativeSocket = boost::asio::ip::udp::socket::native_handle_type;

enum class WaitOutcome { kReady, kTimedOut, kFailed };

// Waits until the socket has input waiting, has reached the end of its stream or has an error
// pending (a read then returns at once), for at most `milliseconds`; 0 or less only looks.
// kFailed means the wait itself failed; `error` then holds why.
WaitOutcome WaitReadable(NativeSocket socket, int32_t milliseconds,
                         boost::system::error_code& error);

// Writes the "Socket error" line for `error`.
void LogSocketFailure(const boost::system::error_code& error);

// Writes the "<context> ... Error" line for `error`.
void ReportSocketFailure(const char* context, const boost::system::error_code& error);

// The error of `what` failing because of `error`: a time-out, or the system refusing, with the
// system's text behind `what`.
Error SocketFailure(const std::string& what, const boost::system::error_code& error);

}  // namespace linkwright
