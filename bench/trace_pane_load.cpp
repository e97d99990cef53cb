// The trace pane under a fast device: a TCP peer streams short packets ("PKT000000" and CR) at
// a fixed rate into an open window (message view above, trace pane below, receive polling every
// 10 ms) while a probe timer measures how long the event loop went without running it. Each run
// reports the longest stall, the longest tick, the growth of the resident memory, how long the
// pane took after the peer's last packet to show it, and whether every packet reached the pane
// in order. The feeds: each tick's trace appended in one call ("tick"), every piece appended on
// its own ("piece"), one call per tick with colours, timestamps and an open find bar whose count
// is taken again while the traffic arrives ("styled"), and a peer that never ends a line
// ("unended": "DATA 00000000 " and so on, no CR), one call per tick.
//
// Usage: trace_pane_load [seconds [packets-per-second [feed]]]
//   defaults 60 s and 5000 packets/s; without a feed, the tick, piece and styled runs.
//   The figures kept in the notes: `trace_pane_load 90 50000 unended` and
//   `trace_pane_load 600 5000 tick`.
// Run it on Qt's offscreen platform: QT_QPA_PLATFORM=offscreen.

#include <malloc.h>
#include <time.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QSplitter>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>

#include "config/configuration.h"
#include "front_end/front_end.h"
#include "front_end/trace_timestamps.h"
#include "gui/table/message_table_view.h"
#include "gui/trace/trace_find_bar.h"
#include "gui/trace/trace_pane.h"
#include "session/session.h"

namespace linkwright {

namespace {

using boost::asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr int kPollingMilliseconds = 10;
constexpr int kProbeMilliseconds = 1;
// Stalls this long are counted: a machine shared with other work shows a few of them anyway.
constexpr double kStallGoalMs = 100;
// After the peer has finished, the window gets at least this long to show what is still on its
// way, and at most kCatchUpLimitMilliseconds.
constexpr int kDrainMilliseconds = 500;
constexpr int kCatchUpLimitMilliseconds = 300000;

enum class Feed { kOneAppendPerTick, kOneAppendPerPiece, kStyledAndSearched, kWithoutLineEnds };

std::string PacketText(long number) {
  char text[16];
  std::snprintf(text, sizeof text, "PKT%06ld", number % 1000000);
  return text;
}

// A packet as the peer sends it, and as the trace shows it.
std::string WirePacket(Feed feed, long number) {
  if (feed != Feed::kWithoutLineEnds) {
    return PacketText(number) + '\r';
  }
  char text[24];
  std::snprintf(text, sizeof text, "DATA %08ld ", number % 100000000);
  return text;
}

std::string TracedPacket(Feed feed, long number) {
  return feed != Feed::kWithoutLineEnds ? PacketText(number) + "[CR]" : WirePacket(feed, number);
}

// A peer on 127.0.0.1 that takes one connection and sends `rate` packets per second, each
// millisecond what is due by then, for `seconds`; then it closes.
class PacingPeer {
 public:
  PacingPeer(Feed feed, int seconds, int rate)
      : m_Feed(feed),
        m_Acceptor(m_Io, tcp::endpoint(boost::asio::ip::address_v4::loopback(), 0)),
        m_Thread([this, seconds, rate] { Stream(seconds, rate); }) {}
  ~PacingPeer() { m_Thread.join(); }

  uint16_t Port() const { return m_Acceptor.local_endpoint().port(); }
  bool Finished() const { return m_Finished; }
  long PacketsSent() const { return m_Sent; }

 private:
  void Stream(int seconds, int rate) {
    tcp::socket socket(m_Io);
    m_Acceptor.accept(socket);
    const Clock::time_point start = Clock::now();
    const long total = static_cast<long>(seconds) * rate;
    boost::system::error_code error;
    while (m_Sent < total && !error) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      const auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      const long due = std::min(total, static_cast<long>(elapsed * rate));
      std::string burst;
      for (long number = m_Sent; number < due; ++number) {
        burst += WirePacket(m_Feed, number);
      }
      boost::asio::write(socket, boost::asio::buffer(burst), error);
      m_Sent = due;
    }
    m_Finished = true;
  }

  Feed m_Feed;
  boost::asio::io_context m_Io;
  tcp::acceptor m_Acceptor;
  std::atomic<long> m_Sent = 0;
  std::atomic<bool> m_Finished = false;
  std::thread m_Thread;
};

// The heap the program holds, as against the resident memory, which also counts the freed
// memory the allocator keeps for later: a leak grows this, fragmentation only the other.
double HeapInUseMb() {
  return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      return std::stol(line.substr(6));
    }
  }
  return 0;
}

// The find bar's text in the searched run: about one line in a hundred matches.
const QString kSearchedText = "99[CR]";

// The window's side: the link, the document and the timers of the core, the two views in a
// splitter, and a single-shot timer armed at the next due tick, as the main frame does.
class LoadedWindow : public FrontEnd {
 public:
  LoadedWindow(Feed feed, uint16_t port)
      : m_Feed(feed),
        m_Session(Configure(port), *this),
        m_Splitter(Qt::Vertical),
        m_View(new MessageTableView(
            m_Session.Table(), [this](int row) { m_Session.SendRow(row); }, &m_Splitter)),
        m_Pane(new TracePane(&m_Splitter)) {
    m_Splitter.addWidget(m_View);
    m_Splitter.addWidget(m_Pane);
    m_Splitter.resize(1100, 700);
    m_Splitter.show();
    if (feed == Feed::kStyledAndSearched) {
      m_Pane->ShowColours(true);
      m_Pane->ShowTimestamps(true);
      m_Pane->OpenFindBar();
      m_Pane->FindBar()->SetText(kSearchedText);
    }
    m_TickTimer.setSingleShot(true);
    m_TickTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_TickTimer, &QTimer::timeout, [this] { Tick(); });
  }

  bool Open() {
    const bool opened = m_Session.OpenConnection();
    Arm();
    return opened;
  }
  void Close() { m_Session.CloseConnection(); }

  const TracePane& Pane() const { return *m_Pane; }
  // Characters in front of each line's packet: the timestamp when shown.
  int LinePrefix() const {
    return m_Pane->TimestampsShown() ? static_cast<int>(TraceTimePrefix({}).size()) : 0;
  }
  double LongestTickMs() const { return m_LongestTickMs; }
  long CharactersAppended() const { return m_Characters; }

  void AppendTrace(const TraceBatch& pieces) override {
    m_TickPieces.insert(m_TickPieces.end(), pieces.begin(), pieces.end());
  }
  void ClearTrace() override { m_Pane->Clear(); }
  void PlaySignal(bool /*success*/) override {}
  void SetTxPaneText(const std::string& /*text*/) override {}
  void ShowLinkStatus(const std::string& /*description*/, LinkState /*state*/) override {}
  void ShowNotice(const std::string& /*text*/) override {}

 private:
  static Configuration& Configure(uint16_t port) {
    Configuration& config = GetConfiguration();
    for (const ConfigKey& row : Configuration::KeyTable()) {
      config.SetFormatted(row.section, row.key, "%s", row.defaultValue);
    }
    config.Set(setting::kMode, "1");
    config.Set(setting::kActAsServer, "0");
    config.Set(setting::kSocketPort, std::to_string(port));
    config.Set(setting::kRxPollingTime, std::to_string(kPollingMilliseconds));
    config.Set(setting::kBeepOnFailure, "0");
    return config;
  }

  void Tick() {
    QElapsedTimer tick;
    tick.start();
    m_Session.RunDueTicks();
    HandOver();
    m_LongestTickMs = std::max(m_LongestTickMs, tick.nsecsElapsed() / 1e6);
    Arm();
  }

  void HandOver() {
    for (const TracePiece& piece : m_TickPieces) {
      m_Characters += static_cast<long>(piece.text.size()) + (piece.endsLine ? 1 : 0);
    }
    if (m_Feed != Feed::kOneAppendPerPiece) {
      m_Pane->AppendTrace(m_TickPieces);
    } else {
      for (const TracePiece& piece : m_TickPieces) {
        m_Pane->AppendTrace({piece});
      }
    }
    m_TickPieces.clear();
  }

  void Arm() {
    if (const auto due = m_Session.NextDue()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
      m_TickTimer.start(std::max<int>(0, static_cast<int>(wait.count())));
    }
  }

  Feed m_Feed;
  Session m_Session;
  QSplitter m_Splitter;
  MessageTableView* m_View;
  TracePane* m_Pane;
  QTimer m_TickTimer;
  TraceBatch m_TickPieces;
  double m_LongestTickMs = 0;
  long m_Characters = 0;
};

// The characters of every packet sent, as the pane is handed them.
long TracedCharacters(Feed feed, long packets) {
  const long lineEnd = feed != Feed::kWithoutLineEnds ? 1 : 0;
  return packets * (static_cast<long>(TracedPacket(feed, 0).size()) + lineEnd);
}

// The trace the pane holds ends with the newest packets, in order, up to the last one sent.
bool NewestPacketsShown(const LoadedWindow& window, long packets) {
  const QString trace = window.Pane().TraceText();
  const qsizetype packetSize =
      static_cast<qsizetype>(TracedPacket(Feed::kWithoutLineEnds, 0).size());
  const long shown = std::min(packets, static_cast<long>(trace.size() / packetSize));
  std::string newest;
  for (long number = packets - shown; number < packets; ++number) {
    newest += TracedPacket(Feed::kWithoutLineEnds, number);
  }
  return shown > 0 && trace.endsWith(QString::fromStdString(newest));
}

// The pane holds the newest packets, one per line, in order, ending with the last one sent.
bool NewestLinesShown(const LoadedWindow& window, long packets) {
  const QStringList lines = window.Pane().TraceText().split('\n');
  if (lines.isEmpty() || !lines.back().isEmpty()) {
    return false;
  }
  long number = packets - (lines.size() - 1);
  for (qsizetype line = 0; line + 1 < lines.size(); ++line, ++number) {
    if (lines[line].mid(window.LinePrefix()) !=
        QString::fromStdString(TracedPacket(Feed::kOneAppendPerTick, number))) {
      return false;
    }
  }
  return true;
}

// The characters handed to the pane are those of every packet sent, and the pane shows the
// newest of them.
bool EveryPacketShown(const LoadedWindow& window, Feed feed, long packets) {
  if (window.CharactersAppended() != TracedCharacters(feed, packets)) {
    return false;
  }
  return feed == Feed::kWithoutLineEnds ? NewestPacketsShown(window, packets)
                                        : NewestLinesShown(window, packets);
}

struct RunResult {
  double longestStallMs = 0;
  long stallsOverGoal = 0;
  // The processor time the window's thread used in the longest stretch between two probes: a
  // stall much longer than this was the machine running other work, not the window.
  double longestBusyMs = 0;
  double longestTickMs = 0;
  double memoryGrowthMb = 0;
  double residentMb = 0;
  double heapInUseMb = 0;
  // From the peer's last packet until the pane had been handed all of them.
  double catchUpMs = 0;
  long packets = 0;
  bool everyPacketShown = false;
};

RunResult Run(Feed feed, int seconds, int rate) {
  PacingPeer peer(feed, seconds, rate);
  LoadedWindow window(feed, peer.Port());
  QCoreApplication::processEvents();
  RunResult result;
  if (!window.Open()) {
    std::fprintf(stderr, "the window's link did not open\n");
    return result;
  }
  const long residentBefore = ResidentKilobytes();
  QElapsedTimer sinceProbe;
  sinceProbe.start();
  double cpuAtProbe = ThreadCpuMs();
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const double stallMs = sinceProbe.nsecsElapsed() / 1e6;
    result.longestStallMs = std::max(result.longestStallMs, stallMs);
    result.stallsOverGoal += stallMs >= kStallGoalMs ? 1 : 0;
    const double cpuMs = ThreadCpuMs();
    result.longestBusyMs = std::max(result.longestBusyMs, cpuMs - cpuAtProbe);
    cpuAtProbe = cpuMs;
    sinceProbe.restart();
  });
  probe.start(kProbeMilliseconds);
  QEventLoop loop;
  QTimer finished;
  QElapsedTimer sinceFinish;
  QObject::connect(&finished, &QTimer::timeout, [&] {
    if (!peer.Finished()) {
      return;
    }
    if (!sinceFinish.isValid()) {
      sinceFinish.start();
    }
    const bool caughtUp = window.CharactersAppended() >= TracedCharacters(feed, peer.PacketsSent());
    if (result.catchUpMs == 0 && (caughtUp || sinceFinish.elapsed() >= kCatchUpLimitMilliseconds)) {
      result.catchUpMs = sinceFinish.nsecsElapsed() / 1e6;
    }
    if (result.catchUpMs > 0 && sinceFinish.elapsed() >= kDrainMilliseconds) {
      finished.stop();
      loop.quit();
    }
  });
  finished.start(10);
  loop.exec();
  probe.stop();
  result.residentMb = ResidentKilobytes() / 1024.0;
  result.heapInUseMb = HeapInUseMb();
  result.memoryGrowthMb = (ResidentKilobytes() - residentBefore) / 1024.0;
  result.longestTickMs = window.LongestTickMs();
  result.packets = peer.PacketsSent();
  result.everyPacketShown = EveryPacketShown(window, feed, result.packets);
  window.Close();
  return result;
}

void Print(const char* name, const RunResult& result) {
  std::printf("%-22s %10ld %18.1f %15ld %16.1f %17.1f %17.1f %12.1f %12.1f %13.1f %12s\n", name,
              result.packets, result.longestStallMs, result.stallsOverGoal, result.longestBusyMs,
              result.longestTickMs, result.memoryGrowthMb, result.residentMb, result.heapInUseMb,
              result.catchUpMs, result.everyPacketShown ? "yes" : "NO");
}

struct NamedFeed {
  const char* option;
  const char* title;
  Feed feed;
};

const NamedFeed kFeeds[] = {
    {"tick", "one append per tick", Feed::kOneAppendPerTick},
    {"piece", "one append per piece", Feed::kOneAppendPerPiece},
    {"styled", "styled, find bar open", Feed::kStyledAndSearched},
    {"unended", "no line ends", Feed::kWithoutLineEnds},
};

// The feeds the command line names: one by its option, or the three with line ends.
std::vector<NamedFeed> ChosenFeeds(const char* option) {
  std::vector<NamedFeed> chosen;
  for (const NamedFeed& named : kFeeds) {
    const bool wanted = option != nullptr ? std::string(option) == named.option
                                          : named.feed != Feed::kWithoutLineEnds;
    if (wanted) {
      chosen.push_back(named);
    }
  }
  return chosen;
}

}  // namespace

}  // namespace linkwright

using namespace linkwright;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const int rate = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5000;
  const std::vector<NamedFeed> feeds = ChosenFeeds(argc > 3 ? argv[3] : nullptr);
  if (feeds.empty()) {
    std::fprintf(stderr, "feeds: tick, piece, styled, unended\n");
    return 2;
  }
  std::printf("trace pane: %d packets/s for %d s, RxPollingTime %d ms, at most %d lines kept\n",
              rate, seconds, kPollingMilliseconds, TracePane::kMaxLines);
  std::printf("%-22s %10s %18s %15s %16s %17s %17s %12s %12s %13s %12s\n", "feed", "packets",
              "longest stall ms", "stalls >= 100ms", "longest busy ms", "longest tick ms",
              "memory growth MB", "resident MB", "heap used MB", "catch-up ms", "every byte");
  bool everyPacketShown = true;
  for (const NamedFeed& named : feeds) {
    const RunResult result = Run(named.feed, seconds, rate);
    Print(named.title, result);
    everyPacketShown = everyPacketShown && result.everyPacketShown;
  }
  return everyPacketShown ? 0 : 1;
}
