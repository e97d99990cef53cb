#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link/serial/serial_port.h"
#include "link/xmodem/serial_byte_channel.h"
#include "link/xmodem/xmodem_engine.h"
#include "support/pty_pair.h"

namespace linkwright {

namespace {

using std::chrono::seconds;

std::string Pattern(std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) {
    bytes.push_back(static_cast<char>((i * 13 + 5) & 0xFF));
  }
  return bytes;
}

// An lrzsz program on the far side of a pseudo-terminal and our engine on the near side.
// The program starts a moment late, so that the engine's initial drain cannot swallow its first
// start character.
struct LrzszLine {
  explicit LrzszLine(const std::string& command, bool wakeUp = true)
      : program("sleep 0.2 ; " + command), engine(channel, wakeUp) {
    EXPECT_TRUE(program.ready()) << "socat did not make the pseudo-terminal";
    EXPECT_TRUE(port.ParseSettings(program.path() + ":115200,N,8,1"));
    EXPECT_TRUE(port.OpenPort()) << port.LastError().Message();
  }

  PtyProgram program;
  SerialPort port;
  SerialByteChannel channel{port};
  XmodemEngine engine;
};

TEST(XmodemWithLrzsz, TransmitsToRx) {
  struct Case {
    const char* rxOptions;
    int blockSize;
    std::size_t length;
    bool wakeUp;
  };
  const Case cases[] = {
      {"-c", 128, 300, false},    // CRC
      {"", 128, 300, false},      // checksum
      {"-c", 128, 256, true},     // rx answers the first block only after its own time-out
      {"-c", 1024, 2000, false},  // STX blocks
      {"", 128, 0, false},        // nothing but EOT
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("rx ") + c.rxOptions + " block " + std::to_string(c.blockSize) +
                 " length " + std::to_string(c.length));
    LrzszLine line(std::string("rx -q ") + c.rxOptions + " received", c.wakeUp);
    const std::string data = Pattern(c.length);
    EXPECT_TRUE(line.engine.Transmit(c.blockSize, data)) << line.engine.LastError().Message();
    EXPECT_EQ(line.program.Wait(seconds(20)), 0);
    const std::string received = ReadFileBytes(line.program.dir() / "received");
    ASSERT_GE(received.size(), data.size());
    EXPECT_EQ(received.substr(0, data.size()), data);
    EXPECT_EQ(received.substr(data.size()), std::string(received.size() - data.size(), '\x1A'));
  }
}

TEST(XmodemWithLrzsz, ReceivesFromSx) {
  for (const char* sxOptions : {"", "-k"}) {
    SCOPED_TRACE(std::string("sx ") + sxOptions);
    const std::string data = Pattern(1500);
    LrzszLine line(std::string("sx -q -X ") + sxOptions + " outgoing");
    WriteFileBytes(line.program.dir() / "outgoing", data);
    std::string buffer(2049, '\0');
    EXPECT_TRUE(line.engine.Receive(buffer)) << line.engine.LastError().Message();
    EXPECT_EQ(line.program.Wait(seconds(20)), 0);
    EXPECT_EQ(buffer.substr(0, data.size()), data);
    EXPECT_EQ(buffer.substr(data.size()), std::string(2049 - data.size(), '\x1A'));
  }
}

TEST(XmodemWithLrzsz, SenderCancelEndsTheReception) {
  // sx gives up on a file it cannot read by cancelling the transfer it was asked for.
  LrzszLine line("sx -q -X missing-file");
  std::string buffer(2049, '\0');
  EXPECT_FALSE(line.engine.Receive(buffer));
  EXPECT_NE(line.program.Wait(seconds(20)), 0);
  EXPECT_EQ(line.engine.LastError().Kind(), ErrorKind::kPeer);
}

}  // namespace

}  // namespace linkwright
