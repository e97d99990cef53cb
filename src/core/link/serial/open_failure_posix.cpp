#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "diag/diag_log.h"
#include "link/serial/open_failure.h"

namespace linkwright {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxGroups = 256;

std::string GroupName(std::uint32_t gid) {
  const group* entry = ::getgrgid(gid);
  return entry ? entry->gr_name : std::to_string(gid);
}

std::string UserName(std::uint32_t uid) {
  const passwd* entry = ::getpwuid(uid);
  return entry ? entry->pw_name : std::to_string(uid);
}

std::vector<std::uint32_t> AccountGroups(const std::string& name, std::uint32_t gid) {
  std::vector<gid_t> groups(kMaxGroups);
  int count = kMaxGroups;
  if (::getgrouplist(name.c_str(), gid, groups.data(), &count) < 0) {
    return {};
  }
  return {groups.begin(), groups.begin() + count};
}

bool Contains(const std::vector<std::uint32_t>& groups, std::uint32_t gid) {
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// The name without its number: ttyUSB3 → ttyUSB, usb-FTDI_…-if00-port0 → usb-FTDI_…-if00-port.
std::string Stem(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  while (!name.empty() && name.back() >= '0' && name.back() <= '9') {
    name.pop_back();
  }
  return name;
}

bool LooksLike(const std::string& missing, const SerialDeviceInfo& device) {
  const std::string stem = Stem(missing);
  return !stem.empty() &&
         (Stem(device.path) == stem || (!device.byId.empty() && Stem(device.byId) == stem));
}

}  // namespace

UserIdentity CurrentUser() {
  UserIdentity user;
  user.uid = ::geteuid();
  user.name = UserName(user.uid);
  std::vector<gid_t> groups(kMaxGroups);
  const int count = ::getgroups(kMaxGroups, groups.data());
  user.processGroups.assign(groups.begin(), groups.begin() + std::max(count, 0));
  user.processGroups.push_back(::getegid());
  user.accountGroups = AccountGroups(user.name, ::getegid());
  return user;
}

std::vector<DeviceHolder> ProcessesHolding(const std::string& path, const fs::path& proc) {
  std::error_code error;
  const fs::path target = fs::canonical(path, error);
  std::vector<DeviceHolder> holders;
  if (error) {
    return holders;
  }
  for (const auto& process : fs::directory_iterator(proc, error)) {
    const std::string pid = process.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::error_code fdError;
    for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
      std::error_code linkError;
      if (fs::read_symlink(fd.path(), linkError) == target) {
        holders.push_back({std::stoi(pid), ReadFirstLine(process.path() / "comm")});
        break;
      }
    }
  }
  return holders;
}

std::string PermissionAdvice(const std::string& path, const UserIdentity& user) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return {};
  }
  const std::string group = GroupName(info.st_gid);
  const std::string owner = UserName(info.st_uid);
  const std::string held =
      "It belongs to " + owner + ":" + group + " with mode " + ModeText(info.st_mode) + ". ";
  if ((info.st_mode & S_IRGRP) == 0 || (info.st_mode & S_IWGRP) == 0) {
    return held + "Its group may not read and write it either: give it a udev rule with " +
           "GROUP=\"dialout\", MODE=\"0660\", or open it as its owner.";
  }
  if (Contains(user.processGroups, info.st_gid)) {
    return held + "You (" + user.name + ") are in group " + group + " already.";
  }
  if (Contains(user.accountGroups, info.st_gid)) {
    return held + "You (" + user.name + ") were added to group " + group +
           " after this login began: log out and in again (or run `newgrp " + group +
           "`) so that the group counts.";
  }
  return held + "You (" + user.name + ") are not in group " + group + ": run `sudo usermod -a -G " +
         group + " " + user.name + "`, then log out and in again (a new login is needed for " +
         "the group to count).";
}

std::string BusyAdvice(const std::vector<DeviceHolder>& holders) {
  if (holders.empty()) {
    return "Another program has it open; the system does not tell which (`sudo fuser -v` on the "
           "device may): close it and try again.";
  }
  std::string names;
  for (const DeviceHolder& holder : holders) {
    names +=
        (names.empty() ? "" : ", ") + holder.name + " (process " + std::to_string(holder.pid) + ")";
  }
  return "It is held by " + names +
         ": close that program, or stop its service (ModemManager "
         "probes new modems), and try again.";
}

std::string AbsentAdvice(const std::string& path, const std::vector<SerialDeviceInfo>& present) {
  std::string matches;
  for (const SerialDeviceInfo& device : present) {
    if (LooksLike(path, device)) {
      matches += (matches.empty() ? "" : ", ") + device.path;
      if (!device.byId.empty()) {
        matches += " (" + device.byId + ")";
      }
    }
  }
  if (matches.empty()) {
    return "No serial device with a name like it is present; `linkwright-cli ports` lists those "
           "that are.";
  }
  return "Present now: " + matches +
         ". A by-id name stays the same when an adapter is plugged in again; its number may not.";
}

std::string OpenFailureText(const std::string& path, int errorNumber) {
  std::string text = "cannot open " + path + ": " + SystemErrorText(errorNumber);
  std::string advice;
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      advice = PermissionAdvice(path, CurrentUser());
      break;
    case EBUSY:
      advice = BusyAdvice(ProcessesHolding(path));
      break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      advice = AbsentAdvice(path, ListSerialDevices());
      break;
    default:
      break;
  }
  return advice.empty() ? text : text + ". " + advice;
}

}  // namespace linkwright
