#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace linkwright {

// Where the system keeps what a port list reads; tests point these at folders of their own.
struct SerialDeviceRoots {
  std::filesystem::path sysClassTty = "/sys/class/tty";
  std::filesystem::path dev = "/dev";
  std::filesystem::path byId = "/dev/serial/by-id";
  std::filesystem::path byPath = "/dev/serial/by-path";
};

// One serial device as a port list shows it. The by-id and by-path names are the links udev
// makes; they stay the same when an adapter is plugged in again, its ttyUSB number may not.
struct SerialDeviceInfo {
  std::string path;
  std::string byId;
  std::string byPath;
  std::string description;
  std::string manufacturer;
  std::string serialNumber;
  bool mayOpen = false;
};

// Every serial device the system has: ttyS ports with a real UART, USB adapters (ttyUSB,
// ttyACM), on-chip UARTs (ttyAMA …), Bluetooth rfcomm; sorted by path.
std::vector<SerialDeviceInfo> ListSerialDevices(const SerialDeviceRoots& roots = {});

// The same for a path the user typed, such as a pseudo-terminal's link or a by-id name: the path
// as typed, with the stable names and details of the device it names where the system knows
// them.
SerialDeviceInfo DescribeSerialPath(const std::string& path, const SerialDeviceRoots& roots = {});

// The by-id name of the device a path names, else its by-path name, else empty.
std::string StableNameOf(const std::string& path, const SerialDeviceRoots& roots = {});

// The first line of a small system file (a sysfs attribute, a process's name), without trailing
// blanks; empty when it cannot be read.
std::string ReadFirstLine(const std::filesystem::path& file);

// One line for a list: "/dev/ttyUSB0  FT232R USB UART (FTDI, A1B2C3)  by-id: …  may open: yes".
std::string DescribeDeviceLine(const SerialDeviceInfo& device);

}  // namespace linkwright
