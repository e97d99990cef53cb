#include "link_test_peers.h"

#include <thread>

#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "link/asio_wait.h"
#include "support/default_configuration.h"

using boost::asio::ip::tcp;
using boost::asio::ip::udp;

namespace {

const boost::asio::ip::address kLoopback = boost::asio::ip::address_v4::loopback();

}  // namespace

TestTcpPeer::TestTcpPeer(uint16_t port)
    : m_Io(std::make_unique<boost::asio::io_context>()), m_Socket(*m_Io) {
  m_Socket.connect(tcp::endpoint(kLoopback, port));
}

TestTcpPeer::TestTcpPeer(std::unique_ptr<boost::asio::io_context> io, tcp::socket socket)
    : m_Io(std::move(io)), m_Socket(std::move(socket)) {}

bool TestTcpPeer::Write(const std::string& bytes) {
  boost::system::error_code error;
  boost::asio::write(m_Socket, boost::asio::buffer(bytes), error);
  return !error;
}

std::string TestTcpPeer::Read(size_t count) {
  std::string data(count, '\0');
  size_t got = 0;
  RunWithin(
      *m_Io, kPatience,
      [this, &data, &got](auto handler) {
        boost::asio::async_read(
            m_Socket, boost::asio::buffer(data),
            [&got, handler](const boost::system::error_code& error, size_t n) mutable {
              got = n;
              handler(error);
            });
      },
      [this] { m_Socket.cancel(); });
  data.resize(got);
  return data;
}

bool TestTcpPeer::SeesClose() {
  char byte = 0;
  boost::system::error_code error = RunWithin(
      *m_Io, kPatience,
      [this, &byte](auto handler) {
        m_Socket.async_read_some(boost::asio::buffer(&byte, 1), std::move(handler));
      },
      [this] { m_Socket.cancel(); });
  return error == boost::asio::error::eof || error == boost::asio::error::connection_reset;
}

void TestTcpPeer::Close() {
  boost::system::error_code ignored;
  m_Socket.close(ignored);
}

uint16_t TestTcpPeer::LocalPort() const {
  return m_Socket.local_endpoint().port();
}

TestTcpListener::TestTcpListener() : m_Acceptor(m_Io, tcp::endpoint(kLoopback, 0)) {}

uint16_t TestTcpListener::Port() const {
  return m_Acceptor.local_endpoint().port();
}

std::unique_ptr<TestTcpPeer> TestTcpListener::Accept() {
  auto io = std::make_unique<boost::asio::io_context>();
  tcp::socket socket(*io);
  boost::system::error_code error = RunWithin(
      m_Io, kPatience,
      [this, &socket](auto handler) { m_Acceptor.async_accept(socket, std::move(handler)); },
      [this] { m_Acceptor.cancel(); });
  if (error) {
    return nullptr;
  }
  return std::make_unique<TestTcpPeer>(std::move(io), std::move(socket));
}

TestUdpPeer::TestUdpPeer() : m_Socket(m_Io, udp::endpoint(kLoopback, 0)) {}

uint16_t TestUdpPeer::Port() const {
  return m_Socket.local_endpoint().port();
}

bool TestUdpPeer::SendTo(uint16_t port, const std::string& bytes) {
  boost::system::error_code error;
  m_Socket.send_to(boost::asio::buffer(bytes), udp::endpoint(kLoopback, port), 0, error);
  return !error;
}

std::optional<std::string> TestUdpPeer::Receive(std::chrono::milliseconds patience) {
  std::string data(65536, '\0');
  size_t got = 0;
  udp::endpoint sender;
  boost::system::error_code error = RunWithin(
      m_Io, patience,
      [this, &data, &got, &sender](auto handler) {
        m_Socket.async_receive_from(
            boost::asio::buffer(data), sender,
            [&got, handler](const boost::system::error_code& e, size_t n) mutable {
              got = n;
              handler(e);
            });
      },
      [this] { m_Socket.cancel(); });
  if (error) {
    return std::nullopt;
  }
  data.resize(got);
  return data;
}

uint16_t UnusedUdpPort() {
  boost::asio::io_context io;
  udp::socket socket(io, udp::endpoint(kLoopback, 0));
  return socket.local_endpoint().port();
}

bool WaitUntil(const std::function<bool()>& check) {
  auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!check()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return check();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

LinkControllerTest::LinkControllerTest() : m_Link(GetConfiguration(), m_FrontEnd) {
  ResetConfigurationToDefaults();
}

LinkControllerTest::~LinkControllerTest() {
  m_Link.Close();
}

void LinkControllerTest::Set(const std::string& key, const std::string& value) {
  SetSetting("Connection", key, value);
}

void LinkControllerTest::UseLink(int mode, bool server, uint16_t port) {
  Set("Mode", std::to_string(mode));
  Set("ActAsServer", server ? "1" : "0");
  Set("SocketHost", "127.0.0.1");
  Set("SocketPort", std::to_string(port));
}

void LinkControllerTest::OpenLink(int mode, bool server, uint16_t port) {
  UseLink(mode, server, port);
  ASSERT_TRUE(m_Link.Open()) << m_Link.LastFailure();
}

bool LinkControllerTest::PollUntil(const std::function<bool()>& check) {
  return WaitUntil([this, &check] {
    m_Received += m_Link.Receive();
    return check();
  });
}

ByteString LinkControllerTest::ReceiveUntil(const std::function<bool(const ByteString&)>& enough) {
  m_Received.clear();
  PollUntil([this, &enough] { return enough(m_Received); });
  return m_Received;
}

ByteString LinkControllerTest::ReceiveBytes(size_t count) {
  return ReceiveUntil([count](const ByteString& data) { return data.size() >= count; });
}
