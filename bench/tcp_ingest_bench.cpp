#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>

#include "config/configuration.h"
#include "link/link_controller.h"

namespace linkwright {

namespace {

using boost::asio::ip::tcp;

constexpr size_t kStreamBytes = 64 << 20;
constexpr size_t kWriteSlice = 1 << 20;

// A peer on 127.0.0.1 that takes one connection and streams kStreamBytes to it, then closes.
class StreamingPeer {
 public:
  StreamingPeer()
      : m_Acceptor(m_Io, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)),
        m_Thread([this] { Stream(); }) {}
  ~StreamingPeer() { m_Thread.join(); }

  uint16_t Port() const { return m_Acceptor.local_endpoint().port(); }

 private:
  void Stream() {
    tcp::socket socket(m_Io);
    m_Acceptor.accept(socket);
    const std::string slice(kWriteSlice, 'S');
    for (size_t sent = 0; sent < kStreamBytes; sent += slice.size()) {
      boost::asio::write(socket, boost::asio::buffer(slice));
    }
  }

  boost::asio::io_context m_Io;
  tcp::acceptor m_Acceptor;
  std::thread m_Thread;
};

void UseTcpClientLink(uint16_t port) {
  for (const ConfigKey& row : Configuration::KeyTable()) {
    GetConfiguration().SetFormatted(row.section, row.key, "%s", row.defaultValue);
  }
  GetConfiguration().Set(setting::kMode, "1");
  GetConfiguration().Set(setting::kActAsServer, "0");
  GetConfiguration().Set(setting::kSocketPort, std::to_string(port));
}

// The baseline: a plain blocking read of the stream into one reused 64 KiB buffer.
void BM_PlainBlockingRead(benchmark::State& state) {
  std::vector<char> buffer(64 << 10);
  for (auto _ : state) {
    StreamingPeer peer;
    boost::asio::io_context io;
    tcp::socket socket(io);
    socket.connect(tcp::endpoint(boost::asio::ip::address_v4::loopback(), peer.Port()));
    size_t total = 0;
    boost::system::error_code error;
    while (!error) {
      total += socket.read_some(boost::asio::buffer(buffer), error);
    }
    if (total != kStreamBytes) {
      state.SkipWithError("stream cut short");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
}
BENCHMARK(BM_PlainBlockingRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// The link controller polled in a tight loop, as fast as a receive cycle could ask.
void BM_LinkControllerReceive(benchmark::State& state) {
  size_t calls = 0;
  for (auto _ : state) {
    StreamingPeer peer;
    UseTcpClientLink(peer.Port());
    LinkController link(GetConfiguration());
    if (!link.Open()) {
      state.SkipWithError("link did not open");
      break;
    }
    size_t total = 0;
    while (total < kStreamBytes) {
      total += link.Receive().bytes.size();
      ++calls;
    }
    link.Close();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
  state.counters["calls"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LinkControllerReceive)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace linkwright
