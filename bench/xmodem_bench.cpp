#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "link/serial/serial_port.h"
#include "link/xmodem/serial_byte_channel.h"
#include "link/xmodem/xmodem_engine.h"

extern char** environ;

namespace linkwright {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kFileSize = 2048;

std::string Payload() {
  std::string bytes;
  for (std::size_t i = 0; i < kFileSize; ++i) {
    bytes.push_back(static_cast<char>((i * 29 + 3) & 0xFF));
  }
  return bytes;
}

// `rx -c` on the far side of a pseudo-terminal made by socat (through pipes, so rx's flush at
// exit cannot swallow its last ACK). rx waits for Go(), so that the sender is in place before
// rx sends its first start character.
class RxLine {
 public:
  RxLine() {
    std::string pattern = (fs::temp_directory_path() / "linkwright-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    m_Dir = pattern;
    const std::string command =
        "exec socat -t 0.1 pty,raw,echo=0,link=" + Tty() + " 'SYSTEM:cd " + m_Dir.string() +
        " && while [ ! -e go ] ; do sleep 0.005 ; done ; exec rx -q -c received 2>/dev/null'";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&m_Socat, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      throw std::runtime_error("cannot start socat");
    }
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!fs::exists(Tty())) {
      if (Clock::now() > deadline) {
        throw std::runtime_error("socat made no pseudo-terminal");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  ~RxLine() {
    if (m_Socat > 0) {
      kill(m_Socat, SIGKILL);
      waitpid(m_Socat, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(m_Dir, ignored);
  }

  std::string Tty() const { return (m_Dir / "tty").string(); }
  fs::path Dir() const { return m_Dir; }
  void Go() const { std::ofstream(m_Dir / "go").put('\n'); }

  // Waits for rx (and with it socat) to end; true when the file arrived whole.
  bool Finish(const std::string& payload) {
    waitpid(m_Socat, nullptr, 0);
    m_Socat = -1;
    std::ifstream in(m_Dir / "received", std::ios::binary);
    std::string received((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return received.compare(0, payload.size(), payload) == 0;
  }

 private:
  fs::path m_Dir;
  pid_t m_Socat = -1;
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Our engine sends 2 KiB in 128-byte blocks to rx; timed from rx's start to its end.
void BM_EngineSendsToRx(benchmark::State& state) {
  const std::string payload = Payload();
  for (auto _ : state) {
    RxLine line;
    SerialPort port;
    SerialByteChannel channel(port);
    XmodemEngine engine(channel, false);
    if (!port.ParseSettings(line.Tty() + ":115200,N,8,1") || !port.OpenPort()) {
      state.SkipWithError("cannot open the pseudo-terminal");
      break;
    }
    const auto start = Clock::now();
    line.Go();
    const bool sent = engine.Transmit(128, payload);
    if (!line.Finish(payload) || !sent) {
      state.SkipWithError("transfer failed");
      break;
    }
    state.SetIterationTime(SecondsSince(start));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}

// sx sends the same file to rx over the same kind of line; timed the same way.
void BM_SxSendsToRx(benchmark::State& state) {
  const std::string payload = Payload();
  for (auto _ : state) {
    RxLine line;
    std::ofstream(line.Dir() / "outgoing", std::ios::binary) << payload;
    const std::string sx = "exec sx -q -X " + (line.Dir() / "outgoing").string() + " < " +
                           line.Tty() + " > " + line.Tty() + " 2>/dev/null";
    const auto start = Clock::now();
    line.Go();
    const bool sent = std::system(sx.c_str()) == 0;
    if (!line.Finish(payload) || !sent) {
      state.SkipWithError("transfer failed");
      break;
    }
    state.SetIterationTime(SecondsSince(start));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}

}  // namespace

BENCHMARK(BM_EngineSendsToRx)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SxSendsToRx)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

}  // namespace linkwright
