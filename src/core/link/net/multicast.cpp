#include "link/net/multicast.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <charconv>
#include <optional>

#include <boost/asio/ip/multicast.hpp>

#include "config/configuration.h"

namespace linkwright {

namespace multicast = boost::asio::ip::multicast;
using boost::asio::ip::address;

namespace {

Error InterfaceProblem(const MulticastSettings& settings, const char* wanted) {
  return {ErrorKind::kSetting, "MulticastInterface '" + settings.interfaceName + "' is not " +
                                   wanted + " for group " + settings.group};
}

// The first IPv4 address of the interface named `name`, if it has one.
std::optional<boost::asio::ip::address_v4> Ipv4AddressOfInterface(const std::string& name) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    return std::nullopt;
  }
  std::optional<boost::asio::ip::address_v4> found;
  for (const ifaddrs* entry = list; entry != nullptr && !found; entry = entry->ifa_next) {
    if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET &&
        name == entry->ifa_name) {
      const auto* inet = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
      found = boost::asio::ip::address_v4(ntohl(inet->sin_addr.s_addr));
    }
  }
  freeifaddrs(list);
  return found;
}

// An IPv4 group's interface: a local IPv4 address, the name of an interface that has one, or
// any.
Error InterfaceAddress(const MulticastSettings& settings, boost::asio::ip::address_v4& result) {
  result = boost::asio::ip::address_v4::any();
  if (settings.interfaceName.empty()) {
    return {};
  }
  boost::system::error_code error;
  result = boost::asio::ip::make_address_v4(settings.interfaceName, error);
  if (!error) {
    return {};
  }
  const auto named = Ipv4AddressOfInterface(settings.interfaceName);
  if (!named) {
    return InterfaceProblem(settings, "an IPv4 address or an interface with one");
  }
  result = *named;
  return {};
}

// An IPv6 group's interface: a name or an index, or 0 for any.
Error InterfaceIndex(const MulticastSettings& settings, unsigned& index) {
  index = 0;
  if (settings.interfaceName.empty()) {
    return {};
  }
  const std::string& name = settings.interfaceName;
  index = if_nametoindex(name.c_str());
  if (index == 0) {
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), index);
    if (error != std::errc() || end != name.data() + name.size()) {
      index = 0;
    }
  }
  return index == 0 ? InterfaceProblem(settings, "an interface name or index") : Error();
}

// The configured interface in the form the group's family needs it.
struct LocalInterface {
  boost::asio::ip::address_v4 address;
  unsigned index = 0;
};

Error ReadInterface(const address& group, const MulticastSettings& settings,
                    LocalInterface& local) {
  return group.is_v4() ? InterfaceAddress(settings, local.address)
                       : InterfaceIndex(settings, local.index);
}

Error Refused(const char* what, const MulticastSettings& settings,
              const boost::system::error_code& error) {
  return {ErrorKind::kSystem,
          std::string(what) + " multicast group " + settings.group + ": " + error.message()};
}

}  // namespace

MulticastSettings ReadMulticastSettings(const Configuration& config) {
  MulticastSettings settings;
  settings.group = config.GetString(setting::kMulticastGroup);
  settings.interfaceName = config.GetString(setting::kMulticastInterface);
  settings.ttl = config.GetInt(setting::kMulticastTtl);
  return settings;
}

Error ParseMulticastGroup(const std::string& group, address& result) {
  boost::system::error_code error;
  result = boost::asio::ip::make_address(group, error);
  if (error || !result.is_multicast()) {
    return {ErrorKind::kSetting, "MulticastGroup '" + group + "' is not a multicast address"};
  }
  return {};
}

Error JoinMulticastGroup(boost::asio::ip::udp::socket& socket, const address& group,
                         const MulticastSettings& settings) {
  LocalInterface local;
  if (Error problem = ReadInterface(group, settings, local); problem.Failed()) {
    return problem;
  }
  boost::system::error_code error;
  if (group.is_v4()) {
    socket.set_option(multicast::join_group(group.to_v4(), local.address), error);
  } else {
    socket.set_option(multicast::join_group(group.to_v6(), local.index), error);
  }
  return error ? Refused("cannot join", settings, error) : Error();
}

Error PrepareMulticastSending(boost::asio::ip::udp::socket& socket, const address& group,
                              const MulticastSettings& settings) {
  LocalInterface local;
  if (Error problem = ReadInterface(group, settings, local); problem.Failed()) {
    return problem;
  }
  boost::system::error_code error;
  if (!settings.interfaceName.empty()) {
    if (group.is_v4()) {
      socket.set_option(multicast::outbound_interface(local.address), error);
    } else {
      socket.set_option(multicast::outbound_interface(local.index), error);
    }
  }
  if (!error) {
    socket.set_option(multicast::hops(settings.ttl), error);
  }
  if (!error) {
    socket.set_option(multicast::enable_loopback(true), error);
  }
  return error ? Refused("cannot send to", settings, error) : Error();
}

}  // namespace linkwright
