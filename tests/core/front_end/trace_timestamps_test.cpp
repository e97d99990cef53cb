#include "front_end/trace_timestamps.h"

#include <gtest/gtest.h>

#include <ctime>

namespace linkwright {

namespace {

using std::chrono::milliseconds;
using std::chrono::system_clock;

// A local time of day today, built through the C library so the test holds in any time zone.
system_clock::time_point LocalTime(int hour, int minute, int second, int millis) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return system_clock::from_time_t(std::mktime(&local)) + milliseconds(millis);
}

TEST(TraceTimestamperTest, APacketAssembledFromTwoChunksKeepsTheTimeOfItsFirstChunk) {
  TraceTimestamper stamper;
  const TraceBatch firstTick{{TraceDirection::kReceived, "PI", false}};
  const TraceBatch secondTick{{TraceDirection::kReceived, "NG[CR]", true},
                              {TraceDirection::kSent, "<-- PONG[CR]", true},
                              {TraceDirection::kReceived, "", false},
                              {TraceDirection::kReceived, "AB", false}};
  const TraceBatch thirdTick{{TraceDirection::kReceived, "", true}};

  const TraceBatch first = stamper.Stamp(firstTick, LocalTime(9, 5, 7, 42));
  const TraceBatch second = stamper.Stamp(secondTick, LocalTime(9, 5, 8, 3));
  const TraceBatch third = stamper.Stamp(thirdTick, LocalTime(23, 59, 59, 999));

  EXPECT_EQ(TraceText(first) + TraceText(second) + TraceText(third),
            "09:05:07.042 PING[CR]\r\n"
            "09:05:08.003 <-- PONG[CR]\r\n"
            "09:05:08.003 AB\r\n");
  EXPECT_EQ(second[1].direction, TraceDirection::kSent);

  // After a clear the next piece begins a line even when the last one did not end.
  stamper.Stamp({{TraceDirection::kReceived, "X", false}}, LocalTime(1, 0, 0, 0));
  stamper.Restart();
  EXPECT_EQ(
      TraceText(stamper.Stamp({{TraceDirection::kReport, "CRC", true}}, LocalTime(0, 0, 0, 0))),
      "00:00:00.000 CRC\r\n");
}

}  // namespace

}  // namespace linkwright
