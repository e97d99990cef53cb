#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "link/udp/udp_client_connection.h"

namespace linkwright {

namespace {

// Answers every datagram on 127.0.0.1 with the same bytes, from a thread of its own, until
// destroyed.
class EchoPeer {
 public:
  EchoPeer() : m_Socket(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_Socket < 0 || bind(m_Socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(m_Socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot bind the echo peer");
    }
    m_Port = ntohs(address.sin_port);
    m_Thread = std::thread([this] { Serve(); });
  }

  ~EchoPeer() {
    m_Stop = true;
    m_Thread.join();
    close(m_Socket);
  }

  uint16_t Port() const { return m_Port; }

 private:
  void Serve() {
    while (!m_Stop) {
      pollfd entry{m_Socket, POLLIN, 0};
      if (poll(&entry, 1, 20) <= 0) {
        continue;
      }
      char buffer[65536];
      sockaddr_in sender{};
      socklen_t senderLength = sizeof sender;
      const ssize_t n = recvfrom(m_Socket, buffer, sizeof buffer, 0,
                                 reinterpret_cast<sockaddr*>(&sender), &senderLength);
      if (n >= 0) {
        sendto(m_Socket, buffer, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&sender),
               senderLength);
      }
    }
  }

  int m_Socket;
  uint16_t m_Port = 0;
  std::atomic<bool> m_Stop{false};
  std::thread m_Thread;
};

const ByteString kCommand = "STATUS?\r";
const ByteString kCloser = "\r";

// Sets the median of the measured round trips, in microseconds, as a counter.
void ReportMedian(benchmark::State& state, std::vector<double>& microseconds) {
  if (microseconds.empty()) {
    return;
  }
  std::nth_element(microseconds.begin(), microseconds.begin() + microseconds.size() / 2,
                   microseconds.end());
  state.counters["median_us"] = microseconds[microseconds.size() / 2];
}

template <typename Body>
void MeasureEach(benchmark::State& state, Body body) {
  std::vector<double> microseconds;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!body()) {
      state.SkipWithError("no reply");
      break;
    }
    microseconds.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  ReportMedian(state, microseconds);
}

// What one message costs the link controller in UDP client mode: a fresh connection, opened,
// one command with the default reply time-out, closed.
void BM_UdpSendCommandPerMessage(benchmark::State& state) {
  EchoPeer peer;
  MeasureEach(state, [&peer] {
    UdpClientConnection connection;
    connection.SetDestination("127.0.0.1", peer.Port());
    connection.SetTimeout(1000);
    connection.SetPollInterval(0);
    connection.Open();
    ByteString reply;
    const bool replied = connection.SendCommand(kCommand, ByteString(), kCloser, reply);
    connection.Close();
    return replied;
  });
}
BENCHMARK(BM_UdpSendCommandPerMessage)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The command exchange alone on a connection that stays open.
void BM_UdpSendCommandOpenConnection(benchmark::State& state) {
  EchoPeer peer;
  UdpClientConnection connection;
  connection.SetDestination("127.0.0.1", peer.Port());
  connection.SetTimeout(1000);
  connection.Open();
  MeasureEach(state, [&connection] {
    ByteString reply;
    return connection.SendCommand(kCommand, ByteString(), kCloser, reply);
  });
}
BENCHMARK(BM_UdpSendCommandOpenConnection)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace linkwright
