#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link_controller_fixture.h"
#include "support/background_command.h"
#include "support/pty_pair.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// The controller on end a of a pseudo-terminal pair, in mode Comm or Xmodem.
class SerialLinkTest : public LinkControllerTest {
 protected:
  void OpenOnPty(int mode) {
    ASSERT_TRUE(m_Pty.ready()) << "socat did not make the pseudo-terminals";
    m_Settings = m_Pty.a() + ":115200,N,8,1";
    Set(setting::kMode, std::to_string(mode));
    Set(setting::kCommConfig, m_Settings);
    ASSERT_TRUE(m_Session.OpenConnection()) << m_Session.LastError().Message();
  }

  PtyPair m_Pty;
  std::string m_Settings;
};

TEST_F(SerialLinkTest, CommExchangesBytesBothWaysAndShowsTheSettings) {
  OpenOnPty(kModeComm);
  EXPECT_EQ(m_FrontEnd.state, LinkState::kSerialOpen);
  EXPECT_EQ(m_FrontEnd.linkPane, m_Settings);
  PtyEnd peer(m_Pty.b());
  ASSERT_TRUE(peer.ok());

  ASSERT_TRUE(peer.Write(std::string("AB\0\r", 4)));
  EXPECT_EQ(ReceiveBytes(4), std::string("AB\0\r", 4));
  ASSERT_TRUE(m_Session.SendMessage("xyz\r"));
  EXPECT_EQ(peer.Read(4, milliseconds(2000)), "xyz\r");
  EXPECT_EQ(m_FrontEnd.trace, "<-- xyz[CR]\r\n");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 1");

  ASSERT_TRUE(m_Session.CloseConnection());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kSerialClosed);
  EXPECT_EQ(m_Link.Receive().bytes, "");
  EXPECT_FALSE(m_Session.SendMessage("late"));
}

TEST_F(LinkControllerTest, CommWithAMissingDeviceStaysClosed) {
  TempDir dir;
  const std::string device = (dir / "ttyNone").string();
  Set(setting::kMode, "0");
  Set(setting::kCommConfig, device + ":9600,N,8,1");
  EXPECT_FALSE(m_Session.OpenConnection());
  EXPECT_EQ(m_Session.LastError().Message(),
            "cannot open " + device +
                ": No such file or directory. No serial device with a name like it is present; "
                "`linkwright-cli ports` lists those that are.");
  EXPECT_FALSE(m_Link.IsOpen());
  EXPECT_EQ(m_FrontEnd.state, LinkState::kSerialClosed);
  EXPECT_EQ(m_FrontEnd.playedSignals, std::vector<bool>{false});
}

// Receives one Xmodem transfer on end b in CRC mode and records the header byte and length of
// every block.
struct XmodemBlocks {
  std::vector<char> headers;
  std::vector<size_t> sizes;
};

XmodemBlocks ReceiveBlocks(const std::string& path) {
  XmodemBlocks blocks;
  PtyEnd peer(path);
  if (peer.Read(1, milliseconds(3000)) != "\xAA") {
    return blocks;
  }
  peer.Write("C");
  for (;;) {
    int header = peer.ReadByte(milliseconds(3000));
    if (header == 0xAA) {
      continue;
    }
    if (header == 0x04 || header < 0) {
      peer.Write("\x06");
      return blocks;
    }
    size_t dataSize = header == 0x01 ? 128 : 16;
    std::string rest = peer.Read(2 + dataSize + 2, milliseconds(2000));
    blocks.headers.push_back(static_cast<char>(header));
    blocks.sizes.push_back(rest.size() - 4);
    peer.Write("\x06");
  }
}

TEST_F(SerialLinkTest, XmodemSendPicksTheBlockSizeByMessageLength) {
  OpenOnPty(kModeXmodem);
  struct Case {
    size_t length;
    std::vector<char> headers;
  };
  for (const Case& c : {Case{63, std::vector<char>(4, '\x16')}, Case{64, {'\x01'}}}) {
    SCOPED_TRACE(c.length);
    XmodemBlocks blocks;
    std::thread receiver([this, &blocks] { blocks = ReceiveBlocks(m_Pty.b()); });
    bool sent = m_Session.SendMessage(std::string(c.length, 'm'));
    receiver.join();
    EXPECT_TRUE(sent) << m_Session.LastError().Message();
    EXPECT_EQ(blocks.headers, c.headers);
  }
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 2") << "a transfer that succeeds counts";
  EXPECT_EQ(m_FrontEnd.trace,
            "<-- " + std::string(63, 'm') + "\r\n<-- " + std::string(64, 'm') + "\r\n");
}

TEST_F(SerialLinkTest, XmodemSendWithoutReceiverFailsAndTracesNothing) {
  OpenOnPty(kModeXmodem);
  EXPECT_FALSE(m_Session.SendMessage("nobody"));
  EXPECT_EQ(m_Session.LastError().Message(),
            "Xmodem transfer failed: Timed out waiting for initial NAK");
  EXPECT_EQ(m_FrontEnd.trace, "");
  EXPECT_EQ(m_FrontEnd.txPane, "Tx: 0");
}

TEST_F(SerialLinkTest, XmodemReceiveTakesATransferAnnouncedByAByteOnTheIdleLine) {
  OpenOnPty(kModeXmodem);
  WriteFileBytes(m_Pty.dir() / "frame", "HELLO XMODEM");
  BackgroundCommand sender("cd " + m_Pty.dir().path().string() +
                           " && (printf W; exec sx frame) < " + m_Pty.b() + " > " + m_Pty.b());
  EXPECT_TRUE(PollUntil([this] { return !m_Received.empty(); }));
  EXPECT_EQ(m_Received, "HELLO XMODEM") << "the padding is cut off";
  EXPECT_EQ(sender.Wait(milliseconds(20000)), 0);
}

}  // namespace

}  // namespace linkwright
