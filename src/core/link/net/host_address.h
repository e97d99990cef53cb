#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/system/error_code.hpp>

namespace linkwright {

// A host as a user types it (a name, an IPv4 address, an IPv6 address with or without the
// brackets URLs need), without the brackets.
std::string HostWithoutBrackets(const std::string& host);

// An address as users read it: an IPv4 peer reaching a server that listens on both families
// shows as IPv4, not in its mapped IPv6 form.
std::string AddressText(const boost::asio::ip::address& address);

// "address:port", with the address in brackets when it is IPv6.
std::string EndpointText(const boost::asio::ip::address& address, uint16_t port);

// Connects `socket` to `host`:`port`, trying every address the host resolves to, in the
// resolver's order, until one takes the connection or `limit` has passed for all of them
// together. `prepare` is called on the socket, opened for the address's family, before each
// attempt. The error of the last attempt (timed_out when the time ran out) when none succeeded.
boost::system::error_code ConnectToHost(
    boost::asio::io_context& io, boost::asio::ip::tcp::socket& socket, const std::string& host,
    uint16_t port, std::chrono::milliseconds limit,
    const std::function<void(boost::asio::ip::tcp::socket&)>& prepare = {});

// The address datagrams to `host` go to: its first IPv4 address when it has one, so that a name
// reaches the servers it always reached, else its first IPv6 address.
boost::system::error_code ResolveDatagramHost(boost::asio::io_context& io, const std::string& host,
                                              boost::asio::ip::address& address);

// Opens `socket` (an acceptor or a datagram socket) for IPv6 that also takes IPv4, so that one
// bound to the "any" address serves both families; where the system has no IPv6, for IPv4.
// `opened` is the protocol to bind with.
template <typename Socket, typename Protocol>
boost::system::error_code OpenBothFamilies(Socket& socket, Protocol& opened) {
  boost::system::error_code error;
  socket.open(Protocol::v6(), error);
  if (!error) {
    socket.set_option(boost::asio::ip::v6_only(false), error);
  }
  if (!error) {
    opened = Protocol::v6();
    return error;
  }
  socket.close(error);
  opened = Protocol::v4();
  socket.open(Protocol::v4(), error);
  return error;
}

}  // namespace linkwright
