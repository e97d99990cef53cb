#include "link/net/host_address.h"

#include "link/net/asio_wait.h"

namespace linkwright {

using boost::asio::ip::tcp;
using boost::asio::ip::udp;
using Clock = std::chrono::steady_clock;

namespace {

std::chrono::milliseconds TimeLeft(Clock::time_point deadline) {
  return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                  std::chrono::milliseconds(0));
}

}  // namespace

std::string HostWithoutBrackets(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

std::string AddressText(const boost::asio::ip::address& address) {
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6())
        .to_string();
  }
  return address.to_string();
}

std::string EndpointText(const boost::asio::ip::address& address, uint16_t port) {
  const std::string text = AddressText(address);
  const bool bracketed = text.find(':') != std::string::npos;
  return (bracketed ? "[" + text + "]" : text) + ":" + std::to_string(port);
}

boost::system::error_code ConnectToHost(boost::asio::io_context& io, tcp::socket& socket,
                                        const std::string& host, uint16_t port,
                                        std::chrono::milliseconds limit,
                                        const std::function<void(tcp::socket&)>& prepare) {
  const Clock::time_point deadline = Clock::now() + limit;
  boost::system::error_code error;
  tcp::resolver resolver(io);
  // No address_configured flag: a host with loopback IPv6 only must still reach "::1".
  const auto found = resolver.resolve(HostWithoutBrackets(host), std::to_string(port),
                                      tcp::resolver::numeric_service, error);
  if (error || found.empty()) {
    return error ? error : boost::asio::error::host_not_found;
  }
  for (const auto& entry : found) {
    const tcp::endpoint target = entry.endpoint();
    socket.close(error);
    socket.open(target.protocol(), error);
    if (error) {
      continue;
    }
    if (prepare) {
      prepare(socket);
    }
    error = RunWithin(
        io, TimeLeft(deadline),
        [&socket, &target](auto handler) { socket.async_connect(target, std::move(handler)); },
        [&socket] { socket.close(); });
    if (!error || Clock::now() >= deadline) {
      break;
    }
  }
  if (error) {
    socket.close();
  }
  return error;
}

boost::system::error_code ResolveDatagramHost(boost::asio::io_context& io, const std::string& host,
                                              boost::asio::ip::address& address) {
  boost::system::error_code error;
  udp::resolver resolver(io);
  const auto found =
      resolver.resolve(HostWithoutBrackets(host), "0", udp::resolver::numeric_service, error);
  if (error || found.empty()) {
    return error ? error : boost::asio::error::host_not_found;
  }
  address = found.begin()->endpoint().address();
  for (const auto& entry : found) {
    if (entry.endpoint().address().is_v4()) {
      address = entry.endpoint().address();
      break;
    }
  }
  return error;
}

}  // namespace linkwright
