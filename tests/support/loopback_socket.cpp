#include "support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace linkwright {

namespace {

sockaddr_in LoopbackAddress(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int BoundSocket(int type) {
  const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  const sockaddr_in address = LoopbackAddress(0);
  if (fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

uint16_t UnusedPort(int type) {
  const int fd = BoundSocket(type);
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

int RemainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

LoopbackSocket LoopbackSocket::TcpListener() {
  const int fd = BoundSocket(SOCK_STREAM);
  if (fd >= 0) {
    listen(fd, 4);
  }
  return LoopbackSocket(fd);
}

LoopbackSocket LoopbackSocket::TcpConnect(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = LoopbackAddress(port);
  if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    fd = -1;
  }
  return LoopbackSocket(fd);
}

LoopbackSocket LoopbackSocket::Udp() {
  return LoopbackSocket(BoundSocket(SOCK_DGRAM));
}

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept
    : m_Fd(std::exchange(other.m_Fd, -1)) {}

LoopbackSocket& LoopbackSocket::operator=(LoopbackSocket&& other) noexcept {
  if (this != &other) {
    Close();
    m_Fd = std::exchange(other.m_Fd, -1);
  }
  return *this;
}

LoopbackSocket::~LoopbackSocket() {
  Close();
}

uint16_t LoopbackSocket::Port() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(m_Fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

LoopbackSocket LoopbackSocket::Accept(std::chrono::milliseconds limit) {
  if (!WaitReadable(limit)) {
    return LoopbackSocket(-1);
  }
  return LoopbackSocket(accept4(m_Fd, nullptr, nullptr, SOCK_CLOEXEC));
}

bool LoopbackSocket::Write(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(m_Fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::string LoopbackSocket::Read(size_t count, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string data;
  while (data.size() < count &&
         WaitReadable(std::chrono::milliseconds(RemainingMilliseconds(deadline)))) {
    char buffer[65536];
    const ssize_t n = recv(m_Fd, buffer, std::min(sizeof buffer, count - data.size()), 0);
    if (n <= 0) {
      break;
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

std::string LoopbackSocket::ReadUntilQuiet(std::chrono::milliseconds quiet) {
  std::string data;
  while (WaitReadable(quiet)) {
    char buffer[65536];
    const ssize_t n = recv(m_Fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
      break;
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

bool LoopbackSocket::SeesClose(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (WaitReadable(std::chrono::milliseconds(RemainingMilliseconds(deadline)))) {
    char buffer[4096];
    if (recv(m_Fd, buffer, sizeof buffer, 0) <= 0) {
      return true;
    }
  }
  return false;
}

bool LoopbackSocket::SendTo(uint16_t port, const std::string& bytes) {
  const sockaddr_in address = LoopbackAddress(port);
  return sendto(m_Fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address),
                sizeof address) == static_cast<ssize_t>(bytes.size());
}

std::optional<std::string> LoopbackSocket::ReceiveDatagram(std::chrono::milliseconds limit,
                                                           uint16_t* senderPort) {
  if (!WaitReadable(limit)) {
    return std::nullopt;
  }
  std::string data(65536, '\0');
  sockaddr_in sender{};
  socklen_t senderSize = sizeof sender;
  const ssize_t n = recvfrom(m_Fd, data.data(), data.size(), 0,
                             reinterpret_cast<sockaddr*>(&sender), &senderSize);
  if (n < 0) {
    return std::nullopt;
  }
  if (senderPort != nullptr) {
    *senderPort = ntohs(sender.sin_port);
  }
  data.resize(static_cast<size_t>(n));
  return data;
}

void LoopbackSocket::Close() {
  if (m_Fd >= 0) {
    close(m_Fd);
    m_Fd = -1;
  }
}

bool LoopbackSocket::WaitReadable(std::chrono::milliseconds limit) const {
  pollfd entry{m_Fd, POLLIN, 0};
  return m_Fd >= 0 && poll(&entry, 1, static_cast<int>(limit.count())) > 0;
}

uint16_t UnusedTcpPortNumber() {
  return UnusedPort(SOCK_STREAM);
}

uint16_t UnusedUdpPortNumber() {
  return UnusedPort(SOCK_DGRAM);
}

}  // namespace linkwright
