#include <benchmark/benchmark.h>

#include <string>

#include "automation/auto_reply.h"
#include "config/configuration.h"
#include "document/message_table.h"

namespace linkwright {

namespace {

// A table of 99 active rows whose triggers are regular expressions of the kind users write:
// a command word, a number field, a hexadecimal field and the closer.
void FillWithExpressionTriggers(MessageTable& table) {
  for (int row = 1; row <= MessageTable::kDefaultRowCount; ++row) {
    const std::string word = "CMD" + std::to_string(row);
    table.SetItemText(row, MessageTable::kMessageColumn, "ACK " + word + "[CR]");
    table.SetItemText(row, MessageTable::kTriggerColumn,
                      "[STX]" + word + " [0-9]+,[0-9A-F]{2,8}(;[A-Z]+)?[ETX][CR]");
    table.SetActive(row, 1);
  }
}

// Runs the AutoReply decision for a packet that matches none of the 99 triggers.
void RunNoMatch(benchmark::State& state, bool useRegex, const std::string& packet) {
  GetConfiguration().Set(setting::kUseRegex, std::to_string(useRegex ? 1 : 0));
  MessageTable table;
  FillWithExpressionTriggers(table);
  PreparedRows rows(table);
  AutoReplier replier(GetConfiguration(), table, rows);
  for (auto _ : state) {
    benchmark::DoNotOptimize(replier.AutoReply(packet));
  }
  state.SetItemsProcessed(state.iterations());
}

// The whole decision: 99 decodes, 99 exact comparisons and 99 whole-packet regular-expression
// matches, for packets of growing length.
void BM_AutoReplyNoMatch(benchmark::State& state) {
  RunNoMatch(
      state, true,
      "\x02STATUS 1234,BEEF;OK" + std::string(static_cast<size_t>(state.range(0)), 'x') + "\x03\r");
}
BENCHMARK(BM_AutoReplyNoMatch)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same with "UseRegex" off: the floor of the scan, decoding and comparing only.
void BM_AutoReplyNoMatchExactOnly(benchmark::State& state) {
  RunNoMatch(state, false, "\x02STATUS 1234,BEEF;OK\x03\r");
}
BENCHMARK(BM_AutoReplyNoMatchExactOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace linkwright
