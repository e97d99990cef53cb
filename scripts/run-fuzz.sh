#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time; any crash fails the run.
set -euo pipefail
build=$1
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
passed=0
failed=0
for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="$root/fuzz/corpus/${name%_fuzz}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "== $name (${seconds}s)"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=0 \
       -artifact_prefix="$build/fuzz/$name-" "$corpus" >"$build/fuzz/$name.log" 2>&1; then
    tail -50 "$build/fuzz/$name.log"
    echo "FAILED: $name"
    status=1
    failed=$((failed + 1))
  else
    grep -E '^Done [0-9]+ runs' "$build/fuzz/$name.log" | tail -1 || true
    passed=$((passed + 1))
  fi
  rm -rf "$corpus"
done
echo "fuzz: $passed passed, $failed failed"
exit $status
