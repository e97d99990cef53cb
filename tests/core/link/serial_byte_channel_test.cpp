#include "link/xmodem/serial_byte_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/serial/serial_port.h"
#include "support/pty_pair.h"

namespace {

using std::chrono::milliseconds;

const std::string kCancelSequence = std::string(8, '\x18') + std::string(8, '\x08');

TEST(XmodemChannelBinding, NeedsAnOpenPortAndBindsOnce) {
  XmodemChannel channel;
  SerialPort closed;
  EXPECT_FALSE(channel.Bind(nullptr, nullptr, nullptr, nullptr, 0, true));
  EXPECT_FALSE(channel.Bind(&closed, nullptr, nullptr, nullptr, 0, true));
  EXPECT_FALSE(channel.IsBound());
  EXPECT_FALSE(channel.Release());
  EXPECT_EQ(channel.LastResult(), kXmodemNullHandle);
  char buffer[16];
  EXPECT_FALSE(channel.Transmit(16, "abc", 3));
  EXPECT_FALSE(channel.Receive(buffer, 16));

  PtyPair pty;
  ASSERT_TRUE(pty.ready());
  SerialPort port;
  ASSERT_TRUE(port.ParseSettings(pty.a() + ":9600,N,8,1"));
  ASSERT_TRUE(port.OpenPort()) << port.LastError();
  EXPECT_TRUE(channel.Bind(&port, nullptr, nullptr, nullptr, 0, true));
  EXPECT_TRUE(channel.IsBound());
  EXPECT_FALSE(channel.Bind(&port, nullptr, nullptr, nullptr, 0, true));
  EXPECT_TRUE(channel.Release());
  EXPECT_FALSE(channel.IsBound());
  EXPECT_FALSE(channel.Release());
}

// Counts the idle hook's calls.
class CountingChannel : public XmodemChannel {
 public:
  int idleCalls = 0;

 protected:
  void OnIdle() override { ++idleCalls; }
};

// Our channel on end a of a pseudo-terminal pair, a scripted peer on end b.
class XmodemChannelOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_Pty.ready()) << "socat did not make the pseudo-terminals";
    ASSERT_TRUE(m_Port.ParseSettings(m_Pty.a() + ":115200,N,8,1"));
    ASSERT_TRUE(m_Port.OpenPort()) << m_Port.LastError();
  }

  PtyPair m_Pty;
  SerialPort m_Port;
  CountingChannel m_Channel;
};

TEST_F(XmodemChannelOnPty, TransmitsShortBlocksAfterWakeUp) {
  ASSERT_TRUE(m_Channel.Bind(&m_Port, nullptr, nullptr, nullptr, 0, true));
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
  EXPECT_TRUE(m_Channel.Transmit(16, message.data(), 20)) << XmodemMessage(m_Channel.LastResult());
  receiver.join();
  EXPECT_EQ(wakeUp, "\xAA");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].substr(0, 19), "\x16\x01\xFE" + message.substr(0, 16));
  EXPECT_EQ(blocks[1].substr(0, 19), "\x16\x02\xFD" + message.substr(16) + std::string(12, '\x1A'));
  EXPECT_EQ(end, "\x04");
  EXPECT_EQ(m_Channel.LastResult(), kXmodemSuccess);
}

TEST_F(XmodemChannelOnPty, SenderCancelEndsTheReception) {
  ASSERT_TRUE(m_Channel.Bind(&m_Port, nullptr, nullptr, nullptr, 0, true));
  std::string start;
  std::string afterCancel;
  std::thread sender([&] {
    PtyEnd peer(m_Pty.b());
    start = peer.Read(1, milliseconds(3000));
    peer.Write("\x18\x18");
    afterCancel = peer.Read(kCancelSequence.size(), milliseconds(3000));
  });
  std::string buffer(64, '\0');
  EXPECT_FALSE(m_Channel.Receive(buffer.data(), 64));
  sender.join();
  EXPECT_EQ(m_Channel.LastResult(), kXmodemSenderCancelled);
  EXPECT_EQ(start, "C");
  EXPECT_EQ(afterCancel, kCancelSequence);
  EXPECT_EQ(buffer, std::string(64, '\x1A'));
}

TEST_F(XmodemChannelOnPty, ASenderStreamingGarbageEndsTheReceptionAfterTenRetries) {
  ASSERT_TRUE(m_Channel.Bind(&m_Port, nullptr, nullptr, nullptr, 0, false));
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
  EXPECT_FALSE(m_Channel.Receive(buffer.data(), 2049));
  done = true;
  sender.join();
  EXPECT_EQ(m_Channel.LastResult(), kXmodemBlockMismatch);
  // socat still holds garbage for our end; once it is taken, our answers reach the peer.
  PtyEnd(m_Pty.a()).ReadUntilQuiet(milliseconds(300));
  EXPECT_EQ(peer.ReadUntilQuiet(milliseconds(300)),
            "C" + std::string(10, '\x15') + kCancelSequence);
}

struct Observed {
  std::vector<std::string> messages;
  int cancelChecks = 0;
};

TEST_F(XmodemChannelOnPty, CallbacksGetTheirUserDataAndTheIdleHookRunsPerSlice) {
  Observed observed;
  const auto status = [](void* data, std::int32_t, std::int32_t, const char* message) {
    static_cast<Observed*>(data)->messages.emplace_back(message);
  };
  // Lets the first handshake try run, then cancels.
  const auto cancel = [](void* data) -> std::int32_t {
    return ++static_cast<Observed*>(data)->cancelChecks > 1 ? 1 : 0;
  };
  ASSERT_TRUE(m_Channel.Bind(&m_Port, status, &observed, cancel, 0, false));
  char buffer[16];
  EXPECT_FALSE(m_Channel.Receive(buffer, 16));
  EXPECT_EQ(m_Channel.LastResult(), kXmodemUserCancelled);
  ASSERT_FALSE(observed.messages.empty());
  EXPECT_EQ(observed.messages.back(), "User cancelled the transfer");
  EXPECT_EQ(observed.cancelChecks, 2);
  // One unanswered 500 ms wait: slices of 200, 200 and 100 ms.
  EXPECT_EQ(m_Channel.idleCalls, 3);
  PtyEnd peer(m_Pty.b());
  EXPECT_EQ(peer.ReadUntilQuiet(milliseconds(300)), "C" + kCancelSequence);
}

}  // namespace
