#!/usr/bin/env bash
# Runs every benchmark program of a release build.
set -euo pipefail
build=$1
for b in "$build"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
"$(dirname "$0")/bench-simulator.sh" "$build"
"$(dirname "$0")/bench-wire-speed.py" "$build"
"$(dirname "$0")/bench-scenario.sh" "$build"
"$(dirname "$0")/bench-tls-speed.py" "$build"
# The trace pane under a streaming peer, on Qt's offscreen platform (BENCH_TRACE_SECONDS per
# feed, default 60).
if [ -x "$build/bench/trace_pane_load" ]; then
  echo "== trace_pane_load"
  QT_QPA_PLATFORM=offscreen "$build/bench/trace_pane_load" "${BENCH_TRACE_SECONDS:-60}"
fi
