#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace linkwright {

// How fast the device answers each row. Every row sent (by a click, a function key, AutoSend or
// AutoReply) starts a wait; the first packet cut after it is the device's answer and ends the
// wait. A row sent again before its answer waits from the newer send, so each row has at most
// one open wait and a silent device costs no memory.
//
// Response times are kept in microseconds; median and p90 (nearest rank) are taken over the
// latest kKeptTimes answers of a row, while the maximum and the counts cover every answer since
// the last Reset. The clock is a parameter so tests can script the passing of time.
class ResponseStatistics {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  static constexpr size_t kKeptTimes = 10000;

  // The figures of one row, or of all rows together. The times are empty without answers.
  struct Figures {
    int64_t sent = 0;
    int64_t hits = 0;
    int64_t answered = 0;
    std::optional<double> medianMs;
    std::optional<double> p90Ms;
    std::optional<double> maxMs;
  };

  explicit ResponseStatistics(Now now = Clock::now);

  // A row went out over the link; `byAutoReply` when AutoReply chose it (a hit).
  void RowSent(int row, bool byAutoReply);
  // A packet was cut from the received bytes: it answers every row waiting for an answer.
  void PacketCut();
  // Forgets every count, time and open wait.
  void Reset();

  // The rows with anything counted, in ascending order.
  std::vector<int> Rows() const;
  Figures RowFigures(int row) const;
  Figures Totals() const;
  // How often AutoReply answered with the row.
  int64_t Hits(int row) const;
  // Grows with every change, so a view can tell cheaply whether to redraw.
  uint64_t Generation() const { return m_Generation; }

 private:
  struct RowRecord {
    int64_t sent = 0;
    int64_t hits = 0;
    int64_t answered = 0;
    int64_t maxMicroseconds = 0;
    std::optional<Clock::time_point> waitingSince;
    // The latest response times, a ring once kKeptTimes are kept.
    std::vector<int64_t> microseconds;
    size_t nextSlot = 0;
  };

  static void KeepTime(RowRecord& record, int64_t microseconds);
  static Figures FiguresOf(std::vector<int64_t> times, int64_t maxMicroseconds);

  Now m_Now;
  std::map<int, RowRecord> m_Rows;
  std::vector<int> m_Waiting;
  uint64_t m_Generation = 0;
};

}  // namespace linkwright
