#include "session/statistics_json.h"

#include <cstdio>
#include <optional>

#include "session/response_statistics.h"

namespace linkwright {

namespace {

using Figures = ResponseStatistics::Figures;

std::string Milliseconds(const std::optional<double>& ms) {
  if (!ms) {
    return "null";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", *ms);
  return text;
}

std::string FigureFields(const Figures& figures) {
  return "\"sent\": " + std::to_string(figures.sent) +
         ", \"hits\": " + std::to_string(figures.hits) +
         ", \"answered\": " + std::to_string(figures.answered) +
         ", \"median_ms\": " + Milliseconds(figures.medianMs) +
         ", \"p90_ms\": " + Milliseconds(figures.p90Ms) +
         ", \"max_ms\": " + Milliseconds(figures.maxMs);
}

}  // namespace

std::string StatisticsJson(const ResponseStatistics& statistics) {
  std::string json = "{\n  \"rows\": [";
  const char* separator = "\n";
  for (int row : statistics.Rows()) {
    json += separator;
    json += "    {\"row\": " + std::to_string(row) + ", " +
            FigureFields(statistics.RowFigures(row)) + "}";
    separator = ",\n";
  }
  json += "\n  ],\n  \"total\": {" + FigureFields(statistics.Totals()) + "}\n}\n";
  return json;
}

std::string StatisticsSummary(const ResponseStatistics& statistics) {
  const Figures total = statistics.Totals();
  std::string line = std::to_string(total.sent) + " sent, " + std::to_string(total.answered) +
                     " answered, " + std::to_string(total.hits) + " AutoReply hits";
  if (total.medianMs) {
    line += ", median " + Milliseconds(total.medianMs) + " ms, p90 " + Milliseconds(total.p90Ms) +
            " ms, max " + Milliseconds(total.maxMs) + " ms";
  }
  return line;
}

}  // namespace linkwright
