#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/serial/open_failure.h"
#include "link/serial/serial_device_list.h"
#include "support/pty_pair.h"
#include "support/test_support.h"

namespace linkwright {

namespace fs = std::filesystem;

namespace {

// A folder standing in for /sys/class/tty, /dev and /dev/serial: an FTDI adapter on ttyUSB1
// (it was ttyUSB0 before it was plugged in again), a 16550 UART on ttyS1, an empty ttyS0 slot
// and a virtual console without a device.
class SerialDeviceTree : public ::testing::Test {
 protected:
  SerialDeviceTree() {
    const fs::path usb = m_Dir / "sys/devices/usb1/1-1";
    MakeFile(usb / "idVendor", "0403\n");
    MakeFile(usb / "manufacturer", "FTDI\n");
    MakeFile(usb / "product", "FT232R USB UART\n");
    MakeFile(usb / "serial", "A1B2C3\n");
    fs::create_directories(usb / "1-1:1.0/ttyUSB1");
    AddTty("ttyUSB1", usb / "1-1:1.0/ttyUSB1");
    fs::create_directories(m_Dir / "sys/bus/platform/drivers/serial8250");
    fs::create_directories(m_Dir / "sys/devices/platform/serial8250");
    fs::create_directory_symlink(m_Dir / "sys/bus/platform/drivers/serial8250",
                                 m_Dir / "sys/devices/platform/serial8250/driver");
    AddTty("ttyS0", m_Dir / "sys/devices/platform/serial8250", "0");
    AddTty("ttyS1", m_Dir / "sys/devices/platform/serial8250", "4");
    fs::create_directories(m_Roots.sysClassTty / "tty1");
    fs::create_directories(m_Roots.byId);
    fs::create_directories(m_Roots.byPath);
    m_ById = (m_Roots.byId / "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0").string();
    fs::create_symlink("../../ttyUSB1", m_ById);
    fs::create_symlink("../../ttyUSB1", m_Roots.byPath / "pci-0000:00:14.0-usb-0:1:1.0-port0");
  }

  static void MakeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, text);
  }

  void AddTty(const std::string& name, const fs::path& device, const std::string& type = {}) {
    const fs::path folder = m_Roots.sysClassTty / name;
    fs::create_directories(folder);
    fs::create_directory_symlink(device, folder / "device");
    if (!type.empty()) {
      MakeFile(folder / "type", type + "\n");
    }
    MakeFile(m_Roots.dev / name, "");
  }

  TempDir m_Dir;
  SerialDeviceRoots m_Roots{m_Dir / "sys/class/tty", m_Dir / "dev", m_Dir / "dev/serial/by-id",
                            m_Dir / "dev/serial/by-path"};
  std::string m_ById;
};

TEST_F(SerialDeviceTree, TheListHoldsRealPortsWithTheirStableNamesAndMaker) {
  const auto devices = ListSerialDevices(m_Roots);
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].path, (m_Roots.dev / "ttyS1").string());
  EXPECT_EQ(devices[0].description, "serial8250");
  EXPECT_EQ(devices[0].byId, "");
  const SerialDeviceInfo& usb = devices[1];
  EXPECT_EQ(usb.path, (m_Roots.dev / "ttyUSB1").string());
  EXPECT_EQ(usb.byId, m_ById);
  EXPECT_EQ(usb.description, "FT232R USB UART");
  EXPECT_EQ(usb.manufacturer, "FTDI");
  EXPECT_EQ(usb.serialNumber, "A1B2C3");
  EXPECT_EQ(StableNameOf(usb.path, m_Roots), m_ById);
  EXPECT_EQ(StableNameOf(m_ById, m_Roots), m_ById);
  EXPECT_EQ(DescribeSerialPath(m_ById, m_Roots).serialNumber, "A1B2C3");
}

TEST_F(SerialDeviceTree, AMissingPortIsAnsweredWithTheDeviceOfTheSameKind) {
  const auto present = ListSerialDevices(m_Roots);
  EXPECT_EQ(AbsentAdvice("/dev/ttyUSB0", present),
            "Present now: " + (m_Roots.dev / "ttyUSB1").string() + " (" + m_ById +
                "). A by-id name stays the same when an adapter is plugged in again; its number "
                "may not.");
  EXPECT_EQ(AbsentAdvice("/dev/ttyACM0", present),
            "No serial device with a name like it is present; `linkwright-cli ports` lists those "
            "that are.");
}

// The text is built from the file's owner, group and mode and the user's groups, so it is
// checked here whoever runs the test; the console test checks it as an unprivileged user.
TEST(OpenFailure, PermissionAdviceNamesTheGroupAndWhatToDo) {
  const group* dialout = ::getgrnam("dialout");
  if (dialout == nullptr) {
    GTEST_SKIP() << "no group dialout";
  }
  TempDir dir;
  const std::string device = (dir / "ttyUSB0").string();
  WriteFileBytes(device, "");
  ASSERT_EQ(::chown(device.c_str(), ::geteuid(), dialout->gr_gid), 0) << "cannot set the group";
  const std::uint32_t gid = dialout->gr_gid;
  const std::string owner = CurrentUser().name;
  const std::string held = "It belongs to " + owner + ":dialout with mode ";
  struct Case {
    mode_t mode;
    std::vector<std::uint32_t> processGroups;
    std::vector<std::uint32_t> accountGroups;
    std::string expected;
  };
  const Case cases[] = {
      {0660,
       {},
       {},
       held + "0660. You (ada) are not in group dialout: run `sudo usermod -a -G dialout ada`, "
              "then log out and in again (a new login is needed for the group to count)."},
      {0660,
       {},
       {gid},
       held + "0660. You (ada) were added to group dialout after this login began: log out and "
              "in again (or run `newgrp dialout`) so that the group counts."},
      {0660, {gid}, {gid}, held + "0660. You (ada) are in group dialout already."},
      {0600,
       {gid},
       {gid},
       held + "0600. Its group may not read and write it either: give it a udev rule with "
              "GROUP=\"dialout\", MODE=\"0660\", or open it as its owner."},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(::chmod(device.c_str(), c.mode), 0);
    const UserIdentity ada{1234, "ada", c.processGroups, c.accountGroups};
    EXPECT_EQ(PermissionAdvice(device, ada), c.expected);
  }
}

TEST(OpenFailure, TheProcessHoldingADeviceIsNamed) {
  PtyPair pty;
  ASSERT_TRUE(pty.ready());
  PtyEnd held(pty.a());
  const auto holders = ProcessesHolding(pty.a());
  ASSERT_FALSE(holders.empty());
  bool self = false;
  for (const DeviceHolder& holder : holders) {
    self = self || holder.pid == ::getpid();
  }
  EXPECT_TRUE(self);
  EXPECT_EQ(BusyAdvice({{812, "ModemManager"}}),
            "It is held by ModemManager (process 812): close that program, or stop its service "
            "(ModemManager probes new modems), and try again.");
}

}  // namespace

}  // namespace linkwright
