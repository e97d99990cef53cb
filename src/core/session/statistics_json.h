#pragma once

#include <string>

namespace linkwright {

class ResponseStatistics;

// The statistics as a JSON document, one object per row that has counts and one for all rows:
//   {"rows": [{"row": 1, "sent": 4, "hits": 3, "answered": 4, "median_ms": 2.5, "p90_ms": 7.25,
//              "max_ms": 7.25}, …],
//    "total": {"sent": 4, "hits": 3, "answered": 4, "median_ms": 2.5, …}}
// Times are milliseconds with microsecond resolution; a time is null while nothing was answered.
std::string StatisticsJson(const ResponseStatistics& statistics);

// One line for a person: "12 sent, 10 answered, 9 AutoReply hits, median 2.500 ms, p90 7.250 ms,
// max 9.000 ms" (the times left out while nothing was answered).
std::string StatisticsSummary(const ResponseStatistics& statistics);

}  // namespace linkwright
