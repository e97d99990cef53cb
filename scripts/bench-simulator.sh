#!/usr/bin/env bash
# Measures the simulator (`linkwright-cli run`) from outside, as a device tester sees it:
#  - throughput: a TCP peer streams 100 MB of 100-byte packets ending in CR to the simulator
#    (no active rows, trace to /dev/null, RxPollingTime 10), against socat reading the same
#    stream to /dev/null; goal at least 20 MB/s with a peak resident size (VmHWM) under
#    100 MB;
#  - reply latency: a TCP peer sends requests that an active row answers and times each
#    reply, RxPollingTime 10; goal: median at most 12 ms.
set -euo pipefail
build=$1
megabytes=${BENCH_MEGABYTES:-100}
requests=${BENCH_REQUESTS:-200}
cli="$build/src/cli/linkwright-cli"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

now_ns() { date +%s%N; }

# 100-byte packets: 99 digits and CR. yes and tr end by SIGPIPE once head has enough.
stream() { { yes "$(printf '%099d' 0)" | tr '\n' '\r' || true; } | head -c $((megabytes * 1000000)); }

wait_for_text() {  # file text: waits up to 10 s for the text to appear in the file
  for _ in $(seq 1000); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.01
  done
  echo "timed out waiting for '$2' in $1" >&2
  return 1
}

cat >"$work/silent.txt" <<'ROWS'
F1 0
unused

ROWS
cat >"$work/answer.txt" <<'ROWS'
F1 1
PONG[CR]
PING[CR]
ROWS

run_simulator() {  # port message-file: starts the simulator in the background
  "$cli" --config "$work/linkwright.cfg" run \
    --set Connection.Mode=1 --set Connection.ActAsServer=1 --set Connection.SocketPort="$1" \
    --set Connection.RxPollingTime=10 "$2" >/dev/null 2>"$work/err.txt" &
  simulator=$!
  wait_for_text "$work/err.txt" "link: TCP "
}

echo "== simulator throughput: ${megabytes} MB of 100-byte packets over TCP"
port=$(free_port)
run_simulator "$port" "$work/silent.txt"
start=$(now_ns)
stream | socat -u - "TCP:127.0.0.1:$port"
# The simulator notices the peer's close only after it has read everything before it.
wait_for_text "$work/err.txt" "link: TCP --> "
for _ in $(seq 6000); do
  [ "$(tail -n 1 "$work/err.txt")" = "link: TCP " ] && break
  sleep 0.01
done
simulator_ns=$(($(now_ns) - start))
peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$simulator/status")
kill -TERM "$simulator"
wait "$simulator"

port=$(free_port)
socat -u "TCP-LISTEN:$port,reuseaddr" /dev/null &
reader=$!
sleep 0.2
start=$(now_ns)
stream | socat -u - "TCP:127.0.0.1:$port"
wait "$reader"
socat_ns=$(($(now_ns) - start))

awk -v mb="$megabytes" -v s="$simulator_ns" -v r="$socat_ns" -v kb="$peak_kb" 'BEGIN {
  sim = mb / (s / 1e9); ref = mb / (r / 1e9)
  printf "simulator   %8.1f MB/s  (%.2f s)  peak resident %.1f MB\n", sim, s / 1e9, kb / 1024
  printf "socat       %8.1f MB/s  (%.2f s)\n", ref, r / 1e9
  printf "ratio       %8.2f of socat\n", sim / ref
  printf "goals       >= 20 MB/s: %s, peak < 100 MB: %s\n", (sim >= 20 ? "met" : "MISSED"),
         (kb < 100 * 1024 ? "met" : "MISSED")
}'

echo "== reply latency: ${requests} requests, RxPollingTime 10"
port=$(free_port)
run_simulator "$port" "$work/answer.txt"
python3 - "$port" "$requests" <<'PEER'
import random, socket, statistics, sys, time
port, count = int(sys.argv[1]), int(sys.argv[2])
peer = socket.create_connection(("127.0.0.1", port))
peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
random.seed(1)
times = []
for _ in range(count):
    # Requests arrive at any moment of the polling period, as a device's would.
    time.sleep(random.uniform(0, 0.02))
    start = time.perf_counter()
    peer.sendall(b"PING\r")
    reply = b""
    while len(reply) < 5:
        reply += peer.recv(5 - len(reply))
    times.append((time.perf_counter() - start) * 1000)
    assert reply == b"PONG\r", reply
times.sort()
median = statistics.median(times)
print("median %.2f ms  p90 %.2f ms  max %.2f ms" % (median, times[int(0.9 * len(times))], times[-1]))
print("goal        median <= 12 ms: %s" % ("met" if median <= 12 else "MISSED"))
PEER
kill -TERM "$simulator"
wait "$simulator"
