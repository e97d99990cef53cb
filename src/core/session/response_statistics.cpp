#include "session/response_statistics.h"

#include <algorithm>
#include <cmath>

namespace linkwright {

namespace {

constexpr double kMicrosecondsPerMs = 1000.0;

// The nearest-rank percentile of times already ordered up to and around that rank.
int64_t NearestRank(std::vector<int64_t>& times, double fraction) {
  const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(times.size())));
  const auto at = times.begin() + static_cast<std::ptrdiff_t>(std::max<size_t>(rank, 1) - 1);
  std::nth_element(times.begin(), at, times.end());
  return *at;
}

double Ms(int64_t microseconds) {
  return static_cast<double>(microseconds) / kMicrosecondsPerMs;
}

}  // namespace

ResponseStatistics::ResponseStatistics(Now now) : m_Now(std::move(now)) {}

void ResponseStatistics::RowSent(int row, bool byAutoReply) {
  RowRecord& record = m_Rows[row];
  ++record.sent;
  if (byAutoReply) {
    ++record.hits;
  }
  if (!record.waitingSince) {
    m_Waiting.push_back(row);
  }
  record.waitingSince = m_Now();
  ++m_Generation;
}

void ResponseStatistics::PacketCut() {
  if (m_Waiting.empty()) {
    return;
  }
  const Clock::time_point now = m_Now();
  for (int row : m_Waiting) {
    RowRecord& record = m_Rows[row];
    const auto waited =
        std::chrono::duration_cast<std::chrono::microseconds>(now - *record.waitingSince);
    record.waitingSince.reset();
    ++record.answered;
    KeepTime(record, waited.count());
  }
  m_Waiting.clear();
  ++m_Generation;
}

void ResponseStatistics::KeepTime(RowRecord& record, int64_t microseconds) {
  record.maxMicroseconds = std::max(record.maxMicroseconds, microseconds);
  if (record.microseconds.size() < kKeptTimes) {
    record.microseconds.push_back(microseconds);
    return;
  }
  record.microseconds[record.nextSlot] = microseconds;
  record.nextSlot = (record.nextSlot + 1) % kKeptTimes;
}

void ResponseStatistics::Reset() {
  m_Rows.clear();
  m_Waiting.clear();
  ++m_Generation;
}

std::vector<int> ResponseStatistics::Rows() const {
  std::vector<int> rows;
  rows.reserve(m_Rows.size());
  for (const auto& [row, record] : m_Rows) {
    rows.push_back(row);
  }
  return rows;
}

ResponseStatistics::Figures ResponseStatistics::FiguresOf(std::vector<int64_t> times,
                                                          int64_t maxMicroseconds) {
  Figures figures;
  if (!times.empty()) {
    figures.medianMs = Ms(NearestRank(times, 0.5));
    figures.p90Ms = Ms(NearestRank(times, 0.9));
    figures.maxMs = Ms(maxMicroseconds);
  }
  return figures;
}

ResponseStatistics::Figures ResponseStatistics::RowFigures(int row) const {
  const auto found = m_Rows.find(row);
  if (found == m_Rows.end()) {
    return {};
  }
  const RowRecord& record = found->second;
  Figures figures = FiguresOf(record.microseconds, record.maxMicroseconds);
  figures.sent = record.sent;
  figures.hits = record.hits;
  figures.answered = record.answered;
  return figures;
}

ResponseStatistics::Figures ResponseStatistics::Totals() const {
  std::vector<int64_t> times;
  int64_t maxMicroseconds = 0;
  Figures counts;
  for (const auto& [row, record] : m_Rows) {
    times.insert(times.end(), record.microseconds.begin(), record.microseconds.end());
    maxMicroseconds = std::max(maxMicroseconds, record.maxMicroseconds);
    counts.sent += record.sent;
    counts.hits += record.hits;
    counts.answered += record.answered;
  }
  Figures figures = FiguresOf(std::move(times), maxMicroseconds);
  figures.sent = counts.sent;
  figures.hits = counts.hits;
  figures.answered = counts.answered;
  return figures;
}

int64_t ResponseStatistics::Hits(int row) const {
  const auto found = m_Rows.find(row);
  return found == m_Rows.end() ? 0 : found->second.hits;
}

}  // namespace linkwright
