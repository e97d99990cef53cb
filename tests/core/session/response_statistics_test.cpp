#include "session/response_statistics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "session/statistics_json.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

class ResponseStatisticsTest : public ::testing::Test {
 protected:
  void At(int ms) { m_Now = ResponseStatistics::Clock::time_point(milliseconds(ms)); }

  ResponseStatistics::Clock::time_point m_Now;
  ResponseStatistics m_Statistics{[this] { return m_Now; }};
};

TEST_F(ResponseStatisticsTest, TheFirstPacketAfterASendAnswersEveryWaitingRow) {
  // Row 1 is clicked five times, each answered after a scripted delay.
  const int delays[] = {5, 40, 12, 3, 9};
  int now = 0;
  for (int delay : delays) {
    At(now);
    m_Statistics.RowSent(1, false);
    At(now + delay);
    m_Statistics.PacketCut();
    now += 100;
  }
  // Row 2 goes out twice by AutoReply before its answer: the wait counts from the second send,
  // and the same packet answers row 3, sent in between.
  At(1000);
  m_Statistics.RowSent(2, true);
  At(1004);
  m_Statistics.RowSent(3, false);
  At(1010);
  m_Statistics.RowSent(2, true);
  At(1016);
  m_Statistics.PacketCut();
  // A packet nobody waited for, and a send still waiting at the end.
  At(1100);
  m_Statistics.PacketCut();
  m_Statistics.RowSent(4, false);

  EXPECT_EQ(m_Statistics.Rows(), (std::vector<int>{1, 2, 3, 4}));
  const auto row1 = m_Statistics.RowFigures(1);
  EXPECT_EQ(row1.sent, 5);
  EXPECT_EQ(row1.hits, 0);
  EXPECT_EQ(row1.answered, 5);
  EXPECT_EQ(row1.medianMs, 9.0);
  EXPECT_EQ(row1.p90Ms, 40.0);
  EXPECT_EQ(row1.maxMs, 40.0);
  const auto row2 = m_Statistics.RowFigures(2);
  EXPECT_EQ(row2.sent, 2);
  EXPECT_EQ(row2.hits, 2);
  EXPECT_EQ(row2.answered, 1);
  EXPECT_EQ(row2.maxMs, 6.0);
  EXPECT_EQ(m_Statistics.RowFigures(3).medianMs, 12.0);
  EXPECT_EQ(m_Statistics.RowFigures(4).answered, 0);
  EXPECT_FALSE(m_Statistics.RowFigures(4).medianMs);

  const auto total = m_Statistics.Totals();
  EXPECT_EQ(total.sent, 9);
  EXPECT_EQ(total.hits, 2);
  EXPECT_EQ(total.answered, 7);
  // Times 3 5 6 9 12 12 40.
  EXPECT_EQ(total.medianMs, 9.0);
  EXPECT_EQ(total.p90Ms, 40.0);

  m_Statistics.Reset();
  EXPECT_TRUE(m_Statistics.Rows().empty());
  At(2000);
  m_Statistics.PacketCut();
  EXPECT_EQ(m_Statistics.Totals().answered, 0);
}

TEST_F(ResponseStatisticsTest, MedianAndP90FollowTheLatestTimesWhileTheMaximumKeepsAll) {
  At(0);
  m_Statistics.RowSent(7, false);
  At(500);
  m_Statistics.PacketCut();
  for (size_t i = 0; i < ResponseStatistics::kKeptTimes; ++i) {
    m_Statistics.RowSent(7, false);
    At(501);
    m_Statistics.PacketCut();
    At(500);
  }
  const auto figures = m_Statistics.RowFigures(7);
  EXPECT_EQ(figures.answered, static_cast<int64_t>(ResponseStatistics::kKeptTimes) + 1);
  EXPECT_EQ(figures.p90Ms, 1.0);
  EXPECT_EQ(figures.maxMs, 500.0);
}

TEST_F(ResponseStatisticsTest, JsonHasOneObjectPerRowAndATotalWithNullTimesWhenUnanswered) {
  At(0);
  m_Statistics.RowSent(3, true);
  At(2);
  m_Statistics.PacketCut();
  m_Statistics.RowSent(12, false);
  EXPECT_EQ(StatisticsJson(m_Statistics),
            "{\n"
            "  \"rows\": [\n"
            "    {\"row\": 3, \"sent\": 1, \"hits\": 1, \"answered\": 1, \"median_ms\": 2.000, "
            "\"p90_ms\": 2.000, \"max_ms\": 2.000},\n"
            "    {\"row\": 12, \"sent\": 1, \"hits\": 0, \"answered\": 0, \"median_ms\": null, "
            "\"p90_ms\": null, \"max_ms\": null}\n"
            "  ],\n"
            "  \"total\": {\"sent\": 2, \"hits\": 1, \"answered\": 1, \"median_ms\": 2.000, "
            "\"p90_ms\": 2.000, \"max_ms\": 2.000}\n"
            "}\n");
  m_Statistics.Reset();
  EXPECT_EQ(StatisticsJson(m_Statistics),
            "{\n  \"rows\": [\n  ],\n  \"total\": {\"sent\": 0, \"hits\": 0, \"answered\": 0, "
            "\"median_ms\": null, \"p90_ms\": null, \"max_ms\": null}\n}\n");
  EXPECT_EQ(StatisticsSummary(m_Statistics), "0 sent, 0 answered, 0 AutoReply hits");
}

}  // namespace

}  // namespace linkwright
