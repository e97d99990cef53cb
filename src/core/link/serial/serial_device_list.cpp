#include "link/serial/serial_device_list.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

namespace linkwright {

namespace fs = std::filesystem;

namespace {

// How far up from a tty's device folder the USB device with its maker and serial number sits.
constexpr int kUsbParentLevels = 4;

fs::path Resolved(const fs::path& path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return error ? path : resolved;
}

// Each stable link's resolved target, mapped to the link's path.
std::map<fs::path, std::string> StableLinks(const fs::path& folder) {
  std::map<fs::path, std::string> links;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    links.emplace(Resolved(entry.path()), entry.path().string());
  }
  return links;
}

std::string Lookup(const std::map<fs::path, std::string>& links, const fs::path& target) {
  const auto found = links.find(target);
  return found == links.end() ? std::string() : found->second;
}

// A ttyS node exists for every possible legacy port; only those with a UART behind it count.
bool IsRealPort(const fs::path& ttyFolder) {
  std::error_code error;
  if (!fs::exists(ttyFolder / "device", error)) {
    return false;
  }
  const std::string name = ttyFolder.filename().string();
  return !name.starts_with("ttyS") || ReadFirstLine(ttyFolder / "type") != "0";
}

// Maker, product and serial number from the USB device above the tty, where there is one.
void AddUsbDetails(const fs::path& ttyFolder, SerialDeviceInfo& info) {
  fs::path folder = Resolved(ttyFolder / "device");
  for (int level = 0; level < kUsbParentLevels && !folder.empty(); ++level) {
    std::error_code error;
    if (fs::exists(folder / "idVendor", error)) {
      info.description = ReadFirstLine(folder / "product");
      info.manufacturer = ReadFirstLine(folder / "manufacturer");
      info.serialNumber = ReadFirstLine(folder / "serial");
      return;
    }
    folder = folder.parent_path();
  }
  info.description = Resolved(ttyFolder / "device" / "driver").filename().string();
}

bool MayOpen(const std::string& path) {
  return ::access(path.c_str(), R_OK | W_OK) == 0;
}

struct StableNames {
  std::map<fs::path, std::string> byId;
  std::map<fs::path, std::string> byPath;

  explicit StableNames(const SerialDeviceRoots& roots)
      : byId(StableLinks(roots.byId)), byPath(StableLinks(roots.byPath)) {}

  void AddTo(SerialDeviceInfo& info, const fs::path& target) const {
    info.byId = Lookup(byId, target);
    info.byPath = Lookup(byPath, target);
  }
};

}  // namespace

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) {
    value.pop_back();
  }
  return value;
}

std::vector<SerialDeviceInfo> ListSerialDevices(const SerialDeviceRoots& roots) {
  const StableNames names(roots);
  std::vector<SerialDeviceInfo> devices;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(roots.sysClassTty, error)) {
    if (!IsRealPort(entry.path())) {
      continue;
    }
    SerialDeviceInfo info;
    const fs::path node = roots.dev / entry.path().filename();
    info.path = node.string();
    names.AddTo(info, Resolved(node));
    AddUsbDetails(entry.path(), info);
    info.mayOpen = MayOpen(info.path);
    devices.push_back(std::move(info));
  }
  std::sort(devices.begin(), devices.end(),
            [](const auto& a, const auto& b) { return a.path < b.path; });
  return devices;
}

SerialDeviceInfo DescribeSerialPath(const std::string& path, const SerialDeviceRoots& roots) {
  const fs::path target = Resolved(path);
  for (SerialDeviceInfo info : ListSerialDevices(roots)) {
    if (Resolved(info.path) == target) {
      info.path = path;
      return info;
    }
  }
  SerialDeviceInfo info;
  info.path = path;
  StableNames(roots).AddTo(info, target);
  info.mayOpen = MayOpen(path);
  return info;
}

std::string StableNameOf(const std::string& path, const SerialDeviceRoots& roots) {
  const fs::path target = Resolved(path);
  const StableNames names(roots);
  const std::string byId = Lookup(names.byId, target);
  return byId.empty() ? Lookup(names.byPath, target) : byId;
}

std::string DescribeDeviceLine(const SerialDeviceInfo& device) {
  std::string line = device.path;
  std::string details = device.manufacturer;
  if (!device.serialNumber.empty()) {
    details += (details.empty() ? "" : ", ") + device.serialNumber;
  }
  if (!device.description.empty()) {
    line += "  " + device.description;
  }
  if (!details.empty()) {
    line += " (" + details + ")";
  }
  if (!device.byId.empty()) {
    line += "  by-id: " + device.byId;
  }
  if (!device.byPath.empty()) {
    line += "  by-path: " + device.byPath;
  }
  return line + "  may open: " + (device.mayOpen ? "yes" : "no");
}

}  // namespace linkwright
