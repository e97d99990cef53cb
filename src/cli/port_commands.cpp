#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli_context.h"
#include "config/configuration.h"
#include "link/serial/serial_device_list.h"
#include "link/serial/serial_port.h"

namespace linkwright {

namespace {

// The device "CommConfig" names by path (a pseudo-terminal's link, a by-id name), when it
// exists and the list does not hold it already.
std::vector<SerialDeviceInfo> WithConfiguredPath(std::vector<SerialDeviceInfo> devices) {
  SerialPort port;
  if (!port.ParseSettings(GetConfiguration().GetString(setting::kCommConfig)) ||
      port.Settings().m_Device.empty()) {
    return devices;
  }
  const SerialDeviceInfo configured = DescribeSerialPath(port.Settings().m_Device);
  const bool listed = std::any_of(devices.begin(), devices.end(), [&](const auto& device) {
    return device.path == configured.path || device.byId == configured.path ||
           device.byPath == configured.path;
  });
  if (!listed && std::filesystem::exists(configured.path)) {
    devices.push_back(configured);
  }
  return devices;
}

}  // namespace

void AddPortCommands(CLI::App& app, CliContext& context) {
  auto* ports = app.add_subcommand(
      "ports",
      "List the serial devices with their stable by-id and by-path names, maker and serial "
      "number, and whether you may open them");
  ports->callback([&context] {
    LoadConfiguration(context);
    const auto devices = WithConfiguredPath(ListSerialDevices());
    if (devices.empty()) {
      std::cerr << "no serial devices found" << std::endl;
    }
    for (const SerialDeviceInfo& device : devices) {
      std::cout << DescribeDeviceLine(device) << '\n';
    }
  });
}

}  // namespace linkwright
