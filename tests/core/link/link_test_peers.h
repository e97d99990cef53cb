#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>

#include "config/configuration.h"
#include "link/link_controller.h"
#include "support/recording_front_end.h"

// How long a test waits for something that should happen at once on loopback.
inline constexpr std::chrono::milliseconds kPatience{5000};

// The far end of a TCP connection on loopback; every wait is bounded by kPatience.
class TestTcpPeer {
 public:
  // Connects to 127.0.0.1:port (the system completes it even before the server accepts).
  explicit TestTcpPeer(uint16_t port);
  TestTcpPeer(std::unique_ptr<boost::asio::io_context> io, boost::asio::ip::tcp::socket socket);

  bool Write(const std::string& bytes);
  // Exactly `count` bytes, or what came before the connection ended or the patience ran out.
  std::string Read(size_t count);
  // True when the other side closed the connection (reads end) within the patience.
  bool SeesClose();
  void Close();
  uint16_t LocalPort() const;

 private:
  std::unique_ptr<boost::asio::io_context> m_Io;
  boost::asio::ip::tcp::socket m_Socket;
};

// A TCP server on 127.0.0.1 at a port the system chose.
class TestTcpListener {
 public:
  TestTcpListener();
  uint16_t Port() const;
  // The next connection, or null when none came within the patience.
  std::unique_ptr<TestTcpPeer> Accept();

 private:
  boost::asio::io_context m_Io;
  boost::asio::ip::tcp::acceptor m_Acceptor;
};

// A UDP socket on 127.0.0.1 at a port the system chose.
class TestUdpPeer {
 public:
  TestUdpPeer();
  uint16_t Port() const;
  bool SendTo(uint16_t port, const std::string& bytes);
  // The next datagram, or nothing within `patience`.
  std::optional<std::string> Receive(std::chrono::milliseconds patience = kPatience);

 private:
  boost::asio::io_context m_Io;
  boost::asio::ip::udp::socket m_Socket;
};

// A UDP port on 127.0.0.1 that nobody uses (chosen free, then released).
uint16_t UnusedUdpPort();

// Calls `check` until it returns true or the patience runs out; returns the last result.
bool WaitUntil(const std::function<bool()>& check);

// A controller over the process-wide configuration, reset to the defaults, and a recording
// front-end.
class LinkControllerTest : public ::testing::Test {
 protected:
  LinkControllerTest();
  ~LinkControllerTest() override;

  void Set(const std::string& key, const std::string& value);
  void UseLink(int mode, bool server, uint16_t port);
  // UseLink, then Open, failing the test when the link does not open.
  void OpenLink(int mode, bool server, uint16_t port);

  // Polls Receive until the bytes collected satisfy `enough` or the patience runs out.
  ByteString ReceiveUntil(const std::function<bool(const ByteString&)>& enough);
  ByteString ReceiveBytes(size_t count);
  // Polls Receive (keeping what comes in `received`) until `check` holds.
  bool PollUntil(const std::function<bool()>& check);

  RecordingFrontEnd m_FrontEnd;
  CLinkController m_Link;
  ByteString m_Received;
};
