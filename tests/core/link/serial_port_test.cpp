#include "link/serial/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/pty_pair.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

TEST(SerialSettingsText, ParsesAndFormatsBackTheSameWay) {
  struct Case {
    const char* text;
    const char* formatted;
    std::uint8_t port;
    const char* device;
    std::uint32_t baud;
    std::uint8_t parity;
    std::uint8_t dataBits;
    std::uint8_t stopBits;
  };
  const Case cases[] = {
      {"COM1:9600,N,8,1", "COM1:9600,N,8,1", 1, "", 9600, kParityNone, 8, kStopBitsOne},
      {"COM3:19200,E,7,1", "COM3:19200,E,7,1", 3, "", 19200, kParityEven, 7, kStopBitsOne},
      {"COM12:9600,o,5,1.5", "COM12:9600,O,5,1.5", 12, "", 9600, kParityOdd, 5,
       kStopBitsOneAndHalf},
      {"com2:115200,m,8,2", "COM2:115200,M,8,2", 2, "", 115200, kParityMark, 8, kStopBitsTwo},
      {"COM255:300, s , 4 ,1", "COM255:300,S,4,1", 255, "", 300, kParitySpace, 4, kStopBitsOne},
      {"/dev/ttyUSB0:115200,N,8,1", "/dev/ttyUSB0:115200,N,8,1", 1, "/dev/ttyUSB0", 115200,
       kParityNone, 8, kStopBitsOne},
      {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0:57600,E,7,2",
       "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0:57600,E,7,2", 1,
       "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", 57600, kParityEven, 7,
       kStopBitsTwo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    SerialPort port;
    ASSERT_TRUE(port.ParseSettings(c.text));
    const SerialSettings& s = port.Settings();
    EXPECT_EQ(s.m_Port, c.port);
    EXPECT_EQ(s.m_Device, c.device);
    EXPECT_EQ(s.m_Baud, c.baud);
    EXPECT_EQ(s.m_Parity, c.parity);
    EXPECT_EQ(s.m_DataBits, c.dataBits);
    EXPECT_EQ(s.m_StopBits, c.stopBits);
    EXPECT_EQ(port.FormatSettings(), c.formatted);
    SerialPort again;
    ASSERT_TRUE(again.ParseSettings(port.FormatSettings()));
    EXPECT_EQ(again.FormatSettings(), c.formatted);
  }
}

TEST(SerialSettingsText, MalformedTextFailsAndKeepsTheSettings) {
  const char* const malformed[] = {
      "",
      "COM",
      "COM1",
      "COM1:",
      "COM1:9600",
      "COM1:9600,N,8",
      "COM1:9600,N,8,1,X",
      "COM0:9600,N,8,1",
      "COM256:9600,N,8,1",
      "COMx:9600,N,8,1",
      "LPT1:9600,N,8,1",
      "ttyUSB0:9600,N,8,1",
      "COM1:0,N,8,1",
      "COM1:-9600,N,8,1",
      "COM1:9600,X,8,1",
      "COM1:9600,NN,8,1",
      "COM1:9600,N,9,1",
      "COM1:9600,N,3,1",
      "COM1:9600,N,8,3",
      "COM1:9600,N,8,1.25",
      "COM1:99999999999,N,8,1",
      "COM1:9600,N,8,1        padding",
      "COM1:9600,,8,1",
      "COM1:0000000000000000009600,N,8,1",
  };
  for (const char* text : malformed) {
    SCOPED_TRACE(text);
    SerialPort port;
    ASSERT_TRUE(port.ParseSettings("COM4:2400,E,7,2"));
    EXPECT_FALSE(port.ParseSettings(text));
    EXPECT_EQ(port.FormatSettings(), "COM4:2400,E,7,2");
  }
}

TEST(SerialSettingsText, ParsingClearsFlowControlAndOddCodesFormatAsQuestionMarks) {
  SerialPort port;
  SerialSettings settings = port.Settings();
  EXPECT_EQ(port.FormatSettings(), "COM1:9600,N,8,1");
  settings.m_XonXoff = 1;
  settings.m_Hardware = 1;
  settings.m_Parity = 7;
  settings.m_StopBits = 9;
  port.SetSettings(settings);
  EXPECT_EQ(port.FormatSettings(), "COM1:9600,?,8,?");
  ASSERT_TRUE(port.ParseSettings("COM1:9600,N,8,1"));
  EXPECT_EQ(port.Settings().m_XonXoff, 0);
  EXPECT_EQ(port.Settings().m_Hardware, 0);
}

TEST(SerialSettingsText, NumberedPortsNameTheSystemDevice) {
  SerialPort port;
  ASSERT_TRUE(port.ParseSettings("COM3:9600,N,8,1"));
  EXPECT_EQ(port.DeviceName(), "/dev/ttyS2");
  ASSERT_TRUE(port.ParseSettings("/dev/ttyACM1:9600,N,8,1"));
  EXPECT_EQ(port.DeviceName(), "/dev/ttyACM1");
}

TEST(SerialPortDevice, MissingDeviceFailsWithAReadableReason) {
  TempDir dir;
  SerialPort port;
  ASSERT_TRUE(port.ParseSettings((dir / "ttyUSB9").string() + ":9600,N,8,1"));
  EXPECT_FALSE(port.OpenPort());
  EXPECT_FALSE(port.IsOpen());
  // The present ttyUSB devices, or none, follow.
  EXPECT_EQ(port.LastError().Message().rfind(
                "cannot open " + (dir / "ttyUSB9").string() + ": No such file or directory. ", 0),
            0u)
      << port.LastError().Message();
  EXPECT_EQ(port.LastError().Kind(), ErrorKind::kSystem);
}

TEST(SerialPortDevice, ClosedPortRefusesEverything) {
  SerialPort port;
  EXPECT_FALSE(port.ClosePort());
  EXPECT_FALSE(port.ReadByte());
  EXPECT_FALSE(port.WriteBytes("x", 1));
  std::size_t written = 1;
  EXPECT_FALSE(port.WriteSome("x", 1, written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(port.LastError().Kind(), ErrorKind::kState);
  EXPECT_FALSE(port.WaitReadable(10));
}

// Two serial ports over the ends of a pseudo-terminal pair.
class SerialPortPair : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_Pty.ready()) << "socat did not make the pseudo-terminals";
    ASSERT_TRUE(m_A.ParseSettings(m_Pty.a() + ":115200,N,8,1"));
    ASSERT_TRUE(m_B.ParseSettings(m_Pty.b() + ":115200,N,8,1"));
    ASSERT_TRUE(m_A.OpenPort()) << m_A.LastError().Message();
    ASSERT_TRUE(m_B.OpenPort()) << m_B.LastError().Message();
  }

  // Everything that arrives at port until it has been quiet for a while.
  static std::string ReadAll(SerialPort& port) {
    std::string bytes;
    while (port.WaitReadable(500)) {
      for (auto byte = port.ReadByte(); byte; byte = port.ReadByte()) {
        bytes.push_back(static_cast<char>(*byte));
      }
    }
    return bytes;
  }

  PtyPair m_Pty;
  SerialPort m_A;
  SerialPort m_B;
};

TEST_F(SerialPortPair, BytesCrossTheLineUnchanged) {
  std::string message("hello\0\r\n\x11\x13\x7f\xff world", 19);
  ASSERT_TRUE(m_A.WriteBytes(message));
  EXPECT_EQ(ReadAll(m_B), message);
  ASSERT_TRUE(m_B.WriteBytes("back", 4));
  EXPECT_EQ(ReadAll(m_A), "back");
}

TEST_F(SerialPortPair, IdleLineReadsAsNoByte) {
  EXPECT_FALSE(m_A.ReadByte());
  EXPECT_FALSE(m_A.WaitReadable(0));
}

TEST_F(SerialPortPair, LongMessageGoesOutWhole) {
  std::string message;
  for (int i = 0; i < 20000; ++i) {
    message.push_back(static_cast<char>(i * 31));
  }
  // The peer reads while the write runs, so the line never stays full.
  ASSERT_TRUE(m_B.ClosePort());
  BackgroundCommand reader("exec cat " + m_Pty.b() + " > " + (m_Pty.dir() / "out").string());
  ASSERT_TRUE(m_A.WriteBytes(message));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ReadFileBytes(m_Pty.dir() / "out").size() < message.size() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_EQ(ReadFileBytes(m_Pty.dir() / "out"), message);
}

TEST_F(SerialPortPair, ParsingAnOpenPortReopensItWithTheNewSettings) {
  ASSERT_TRUE(m_A.ParseSettings(m_Pty.a() + ":9600,E,7,2"));
  EXPECT_TRUE(m_A.IsOpen());
  EXPECT_EQ(m_A.FormatSettings(), m_Pty.a() + ":9600,E,7,2");
  ASSERT_TRUE(m_A.WriteBytes("ok", 2));
  EXPECT_EQ(ReadAll(m_B), "ok");
}

TEST_F(SerialPortPair, EverySupportedLineSettingOpens) {
  for (const char* mode : {"300,O,5,1.5", "57600,M,8,1", "2400,S,6,2", "230400,N,8,2"}) {
    SCOPED_TRACE(mode);
    EXPECT_TRUE(m_A.ParseSettings(m_Pty.a() + ":" + mode));
    EXPECT_TRUE(m_A.IsOpen()) << m_A.LastError().Message();
  }
}

TEST_F(SerialPortPair, PseudoTerminalKeepsItsFramingWithoutFailing) {
  for (const char* mode : {"9600,N,4,1", "12345,E,7,1", "9600,M,6,2"}) {
    SCOPED_TRACE(mode);
    EXPECT_TRUE(m_A.ParseSettings(m_Pty.a() + ":" + mode));
    ASSERT_TRUE(m_A.IsOpen()) << m_A.LastError().Message();
    ASSERT_TRUE(m_A.WriteBytes("\xff", 1));
    EXPECT_EQ(ReadAll(m_B), "\xff");
  }
}

// A real serial port refuses what its UART cannot do. Skipped where the machine has none.
TEST(SerialPortHardware, RefusedLineSettingsFailWithTheReason) {
  SerialPort port;
  ASSERT_TRUE(port.ParseSettings("COM1:9600,N,8,1"));
  if (!port.OpenPort()) {
    GTEST_SKIP() << port.LastError().Message();
  }
  ASSERT_TRUE(port.ParseSettings("COM1:9600,N,4,1"));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.LastError().Message(), "cannot set up /dev/ttyS0: 4 data bits not supported");
  EXPECT_EQ(port.LastError().Kind(), ErrorKind::kSetting);
  // Off the classic list is fine; far beyond what the UART's clock divides to is not.
  ASSERT_TRUE(port.ParseSettings("COM1:4000000000,N,8,1"));
  EXPECT_FALSE(port.OpenPort());
  EXPECT_EQ(
      port.LastError().Message().rfind("cannot set up /dev/ttyS0: baud rate 4000000000 refused", 0),
      0u)
      << port.LastError().Message();
}

TEST_F(SerialPortPair, ClosingDiscardsWhatWasWaiting) {
  ASSERT_TRUE(m_A.WriteBytes("stale", 5));
  ASSERT_TRUE(m_B.WaitReadable(1000));
  ASSERT_TRUE(m_B.ClosePort());
  EXPECT_FALSE(m_B.IsOpen());
  EXPECT_FALSE(m_B.ReadByte());
  ASSERT_TRUE(m_B.OpenPort());
  EXPECT_EQ(ReadAll(m_B), "");
}

}  // namespace

}  // namespace linkwright
