#include "link/xmodem/serial_byte_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/serial/serial_port.h"
#include "link/xmodem/xmodem_engine.h"
#include "support/pty_pair.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

const std::string kCancelSequence = std::string(8, '\x18') + std::string(8, '\x08');

TEST(SerialByteChannel, AClosedPortTakesAndGivesNothing) {
  SerialPort closed;
  SerialByteChannel channel(closed);
  std::uint8_t byte = 0;
  EXPECT_FALSE(channel.WriteByte(0x43));
  EXPECT_EQ(channel.ReadByte(1000, byte), ByteChannel::Read::kNothing);
  XmodemEngine engine(channel, true);
  EXPECT_FALSE(engine.Transmit(16, "abc"));
  EXPECT_EQ(engine.LastError().Message(), "Modem is not online");
}

// Counts the idle hook's calls.
class CountingChannel : public SerialByteChannel {
 public:
  explicit CountingChannel(SerialPort& port) : SerialByteChannel(port) {}

  int idleCalls = 0;

 protected:
  void OnIdle() override { ++idleCalls; }
};

// Our engine on end a of a pseudo-terminal pair, a scripted peer on end b.
class XmodemOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_Pty.ready()) << "socat did not make the pseudo-terminals";
    ASSERT_TRUE(m_Port.ParseSettings(m_Pty.a() + ":115200,N,8,1"));
    ASSERT_TRUE(m_Port.OpenPort()) << m_Port.LastError().Message();
  }

  PtyPair m_Pty;
  SerialPort m_Port;
  CountingChannel m_Channel{m_Port};
};

TEST_F(XmodemOnPty, TransmitsShortBlocksAfterWakeUp) {
  XmodemEngine engine(m_Channel, true);
  std::string wakeUp;
  std::vector<std::string> blocks;
  std::string end;
  std::thread receiver([&] {
    PtyEnd peer(m_Pty.b());
    wakeUp = peer.Read(1, milliseconds(3000));
    peer.Write("C");
    for (int i = 0; i < 2; ++i) {
      blocks.push_back(peer.Read(21, milliseconds(2000)));
      peer.Write("\x06");
    }
    end = peer.Read(1, milliseconds(3000));
    peer.Write("\x06");
  });
  const std::string message = "twenty bytes message";
  EXPECT_TRUE(engine.Transmit(16, message)) << engine.LastError().Message();
  receiver.join();
  EXPECT_EQ(wakeUp, "\xAA");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].substr(0, 19), "\x16\x01\xFE" + message.substr(0, 16));
  EXPECT_EQ(blocks[1].substr(0, 19), "\x16\x02\xFD" + message.substr(16) + std::string(12, '\x1A'));
  EXPECT_EQ(end, "\x04");
}

TEST_F(XmodemOnPty, SenderCancelEndsTheReception) {
  XmodemEngine engine(m_Channel, true);
  std::string start;
  std::string afterCancel;
  std::thread sender([&] {
    PtyEnd peer(m_Pty.b());
    start = peer.Read(1, milliseconds(3000));
    peer.Write("\x18\x18");
    afterCancel = peer.Read(kCancelSequence.size(), milliseconds(3000));
  });
  std::string buffer(64, '\0');
  EXPECT_FALSE(engine.Receive(buffer));
  sender.join();
  EXPECT_EQ(engine.LastError().Message(), "Sender cancelled the transfer");
  EXPECT_EQ(start, "C");
  EXPECT_EQ(afterCancel, kCancelSequence);
  EXPECT_EQ(buffer, std::string(64, '\x1A'));
}

TEST_F(XmodemOnPty, ASenderStreamingGarbageEndsTheReceptionAfterTenRetries) {
  XmodemEngine engine(m_Channel, false);
  std::atomic<bool> done{false};
  PtyEnd peer(m_Pty.b());
  // Every byte is SOH: each block starts well and fails its number check. The stream stops on
  // its own after five seconds, so that a reception that never gives up still ends the test.
  std::thread sender([&] {
    const auto end = std::chrono::steady_clock::now() + milliseconds(5000);
    while (!done && std::chrono::steady_clock::now() < end &&
           peer.Write(std::string(512, '\x01'))) {
    }
  });
  std::string buffer(2049, '\0');
  EXPECT_FALSE(engine.Receive(buffer));
  done = true;
  sender.join();
  EXPECT_EQ(engine.LastError().Message(), "Block mismatch in packet header");
  // socat still holds garbage for our end; once it is taken, our answers reach the peer.
  PtyEnd(m_Pty.a()).ReadUntilQuiet(milliseconds(300));
  EXPECT_EQ(peer.ReadUntilQuiet(milliseconds(300)),
            "C" + std::string(10, '\x15') + kCancelSequence);
}

TEST_F(XmodemOnPty, HooksAreAskedAndTheIdleHookRunsPerSlice) {
  std::vector<std::string> messages;
  int cancelChecks = 0;
  XmodemEngine engine(m_Channel, false);
  // Lets the first handshake try run, then cancels.
  engine.SetHooks({nullptr, [&](const std::string& text) { messages.push_back(text); },
                   [&] { return ++cancelChecks > 1; }});
  ByteString buffer(16, '\0');
  EXPECT_FALSE(engine.Receive(buffer));
  EXPECT_EQ(engine.LastError().Kind(), ErrorKind::kStopped);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "User cancelled the transfer");
  EXPECT_EQ(cancelChecks, 2);
  // One unanswered 500 ms wait: slices of 200, 200 and 100 ms.
  EXPECT_EQ(m_Channel.idleCalls, 3);
  PtyEnd peer(m_Pty.b());
  EXPECT_EQ(peer.ReadUntilQuiet(milliseconds(300)), "C" + kCancelSequence);
}

}  // namespace

}  // namespace linkwright
