#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace linkwright {

// A plain socket on 127.0.0.1 for tests that need the far end of a link: a TCP listener at a
// port the system chose, a TCP connection, or a UDP socket. Every wait is bounded.
class LoopbackSocket {
 public:
  static constexpr std::chrono::milliseconds kPatience{5000};

  static LoopbackSocket TcpListener();
  // Connects to 127.0.0.1:port; not valid when nobody listens there.
  static LoopbackSocket TcpConnect(uint16_t port);
  static LoopbackSocket Udp();

  LoopbackSocket(LoopbackSocket&& other) noexcept;
  LoopbackSocket& operator=(LoopbackSocket&& other) noexcept;
  ~LoopbackSocket();

  bool valid() const { return m_Fd >= 0; }
  uint16_t Port() const;

  // The next connection of a listener; not valid when none came within the patience.
  LoopbackSocket Accept(std::chrono::milliseconds limit = kPatience);

  // TCP: writes every byte.
  bool Write(const std::string& bytes);
  // TCP: exactly `count` bytes, or fewer when the connection ended or the limit ran out.
  std::string Read(size_t count, std::chrono::milliseconds limit = kPatience);
  // TCP: everything that arrives until nothing came for `quiet`.
  std::string ReadUntilQuiet(std::chrono::milliseconds quiet);
  // TCP: true when the other side closed within the limit (what came before is skipped).
  bool SeesClose(std::chrono::milliseconds limit = kPatience);

  // UDP: one datagram to 127.0.0.1:port.
  bool SendTo(uint16_t port, const std::string& bytes);
  // UDP: the next datagram, or nothing within the limit; `senderPort`, when given, receives
  // the port it came from.
  std::optional<std::string> ReceiveDatagram(std::chrono::milliseconds limit = kPatience,
                                             uint16_t* senderPort = nullptr);

  void Close();

 private:
  explicit LoopbackSocket(int fd) : m_Fd(fd) {}
  bool WaitReadable(std::chrono::milliseconds limit) const;

  int m_Fd = -1;
};

// A TCP (or UDP) port on 127.0.0.1 that nobody uses right now: chosen free, then released.
uint16_t UnusedTcpPortNumber();
uint16_t UnusedUdpPortNumber();

}  // namespace linkwright
