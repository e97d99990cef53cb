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
