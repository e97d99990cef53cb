#pragma once

#include <chrono>

#include <boost/asio/error.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>

namespace linkwright {

// How long a blocking socket step (a TCP connect, a send waiting for room) may take before it
// counts as failed, so that a silent or stalled peer cannot hang the caller.
inline constexpr std::chrono::milliseconds kSocketWaitLimit{5000};

// Runs one asynchronous operation on `io` to its end, but for at most `limit`. `start` begins
// the operation, handing it the completion handler it is given (which takes an error code and
// anything after it); `cancel` aborts the operation. Returns the operation's error, or
// timed_out when it did not finish in time (then it has been cancelled and has ended).
template <typename Start, typename Cancel>
boost::system::error_code RunWithin(boost::asio::io_context& io, std::chrono::milliseconds limit,
                                    Start start, Cancel cancel) {
  boost::system::error_code result = boost::asio::error::timed_out;
  bool finished = false;
  start([&result, &finished](const boost::system::error_code& error, auto&&...) {
    result = error;
    finished = true;
  });
  io.restart();
  io.run_for(limit);
  if (!finished) {
    cancel();
    // The cancelled operation still calls its handler, which refers to this frame.
    io.restart();
    io.run();
    result = boost::asio::error::timed_out;
  }
  return result;
}

}  // namespace linkwright
