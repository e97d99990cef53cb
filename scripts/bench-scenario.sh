#!/usr/bin/env bash
# Measures the scenario runner (`linkwright-cli test`) against a local TCP echo peer (socat):
#  - speed: a scenario of BENCH_STEPS steps (default 10,000: send PING, expect the echo, in
#    turn); steps per second and the CPU the runner used; goal at least 5,000 steps/s;
#  - a failing expect: an expect of 200 ms that nothing answers; how long past its limit the
#    failure is reported (goal at most 5 ms), from the test's time in the JSON report.
set -euo pipefail
build=$1
steps=${BENCH_STEPS:-10000}
cli="$build/src/cli/linkwright-cli"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
socat TCP-LISTEN:"$port",bind=127.0.0.1,reuseaddr,fork PIPE &
for _ in $(seq 500); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" 2>/dev/null && break
  sleep 0.01
done

header() {
  printf 'settings:\n  Connection.Mode: 1\n  Connection.ActAsServer: 0\n'
  printf '  Connection.SocketPort: %s\ntests:\n' "$port"
}

{
  header
  printf '  - name: ping pong\n    steps:\n'
  for _ in $(seq $((steps / 2))); do
    printf '      - send: "PING[CR]"\n      - expect: "PING[CR]"\n'
  done
} > "$work/speed.yaml"

echo "== scenario runner: $steps steps against a TCP echo peer"
/usr/bin/time -f '%e %U %S' -o "$work/time" \
  "$cli" --config "$work/cfg" test --json "$work/speed.json" "$work/speed.yaml"
read -r elapsed user system < "$work/time"
python3 - "$steps" "$work/speed.json" "$elapsed" "$user" "$system" <<'PY'
import json, sys
steps, report = int(sys.argv[1]), sys.argv[2]
elapsed, user, system = map(float, sys.argv[3:])
running = json.load(open(report))["files"][0]["tests"][0]["time_ms"] / 1000
print(f"the test's own time: {steps / running:,.0f} steps/s ({running:.3f} s, "
      f"{1000 * running / steps:.3f} ms per step)")
print(f"the whole command (reading the file included): {steps / elapsed:,.0f} steps/s "
      f"({elapsed:.2f} s), CPU {100 * (user + system) / elapsed:.0f} % of one core")
PY

{
  header
  for i in 1 2 3 4 5; do
    printf '  - name: silent %s\n    steps:\n      - expect: {text: "NEVER[CR]", within: 200}\n' "$i"
  done
} > "$work/late.yaml"

echo "== a failing expect of 200 ms: time until it is reported"
"$cli" --config "$work/cfg" test --json "$work/late.json" "$work/late.yaml" > /dev/null || true
python3 - "$work/late.json" <<'PY'
import json, sys
times = [t["time_ms"] for f in json.load(open(sys.argv[1]))["files"] for t in f["tests"]]
print("reported after " + ", ".join(f"{t} ms" for t in times) +
      f": at most {max(times) - 200} ms past the limit")
PY
