#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "link/serial/serial_device_list.h"

namespace linkwright {

// Who tries to open a device: the groups this process runs with, and the groups the account is
// in now (a group added since the login counts only after a new login).
struct UserIdentity {
  std::uint32_t uid = 0;
  std::string name;
  std::vector<std::uint32_t> processGroups;
  std::vector<std::uint32_t> accountGroups;
};

UserIdentity CurrentUser();

// A process that has a device open.
struct DeviceHolder {
  int pid = 0;
  std::string name;
};

// The processes that have the device open, as far as /proc tells (all of them for root, the
// user's own otherwise).
std::vector<DeviceHolder> ProcessesHolding(const std::string& path,
                                           const std::filesystem::path& proc = "/proc");

// Why `user` may not open the device at `path`, from its owner, group and mode, and what to do:
// join the group (with the command and the new login it needs) or change the device's rule.
std::string PermissionAdvice(const std::string& path, const UserIdentity& user);

// Which programs hold the device and what to do.
std::string BusyAdvice(const std::vector<DeviceHolder>& holders);

// The present devices with a name like the missing one (another ttyUSB number, the same
// adapter's by-id name) or a note that none is present.
std::string AbsentAdvice(const std::string& path, const std::vector<SerialDeviceInfo>& present);

// The whole reason an open of `path` failed with the system error `errorNumber`, in words with
// what to do: "cannot open /dev/ttyUSB0: Permission denied. …".
std::string OpenFailureText(const std::string& path, int errorNumber);

}  // namespace linkwright
