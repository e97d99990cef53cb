#pragma once

#include <string>

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/udp.hpp>

#include "error.h"

namespace linkwright {

class Configuration;

// The multicast settings of the "Connection" section. An empty group means no multicast.
struct MulticastSettings {
  std::string group;
  // IPv4 groups: the address of the local interface to use; IPv6 groups: the interface's name
  // or index. Empty: the one the system picks.
  std::string interfaceName;
  int ttl = 1;
};

MulticastSettings ReadMulticastSettings(const Configuration& config);

// The group as an address; kSetting when it is not a multicast address.
Error ParseMulticastGroup(const std::string& group, boost::asio::ip::address& address);

// Joins `group` on the configured interface; the socket is open for the group's family.
// kSetting for an interface that cannot be used, kSystem when the system refuses the join.
Error JoinMulticastGroup(boost::asio::ip::udp::socket& socket,
                         const boost::asio::ip::address& group, const MulticastSettings& settings);

// Makes datagrams to a group leave by the configured interface, cross at most `ttl` routers and
// reach this host's own members too.
Error PrepareMulticastSending(boost::asio::ip::udp::socket& socket,
                              const boost::asio::ip::address& group,
                              const MulticastSettings& settings);

}  // namespace linkwright
