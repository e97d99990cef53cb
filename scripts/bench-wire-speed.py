#!/usr/bin/env python3
"""Measures the receive and reply path of the simulator (`linkwright-cli run`) at wire speed,
each row side by side with a reference program doing the same job in the same run:

  1. TCP stream into `run` (no row answers), RxPollingTime 100  -- against socat reading it
  2. the same at RxPollingTime 10                                -- against socat reading it
  3. TCP, every packet answered by AutoReply, RxPollingTime 10   -- against a socat echo
  4. UDP, 20,000 datagrams/s for 5 s, RxPollingTime 100 (each answered) -- against a python echo
  5. the same at RxPollingTime 10                                -- against a python echo
  6. an idle TCP server at the default RxPollingTime: its CPU share
  7. with wake on data (`run --wake-on-data`): reply latency, one request at a time, at
     RxPollingTime 100 (and the same without it)                 -- against a socat echo
  8. TCP stream of 100 kB writes, each once select() says the socket has room (and at
     BENCH_PACED_RATE MB/s when set), RxPollingTime 100, with and without wake on data
                                                                 -- against socat reading it
  9. TCP, every packet answered by AutoReply, RxPollingTime 10, wake on data
                                                                 -- against a socat echo
 10. an idle TCP server at the default RxPollingTime with wake on data: its CPU share

Packets are 100 bytes: 99 digits and CR. The simulator's trace goes to /dev/null, and so does
what socat reads in the stream rows: both take the same bytes from the socket and write to the
same kind of sink, the simulator its trace (104 bytes for each packet of 100: "[CR]" and a line
feed for the CR) and socat the bytes themselves. Prints one table with the figures, the ratios
and whether each goal is met.

Usage: bench-wire-speed.py BUILD_DIR
Environment: BENCH_MEGABYTES (stream size, default 200), BENCH_REPLIES (default 300000),
BENCH_UDP_RATE (datagrams/s, default 20000), BENCH_UDP_SECONDS (default 5),
BENCH_LATENCY_REQUESTS (one at a time, default 3000; a hundredth of them without wake on data,
where each waits for the polling period), BENCH_PACED_RATE (MB/s, default 0: unlimited) and
BENCH_PACED_MEGABYTES (default 100).
"""
import os
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time

PACKET = b"0" * 99 + b"\r"
TRIGGER = "0" * 99 + "[CR]"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cpu_seconds(pid):
    """User plus system CPU time a process has used so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def wait_for_text(path, text, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with open(path) as f:
            if text in f.read():
                return
        time.sleep(0.01)
    raise RuntimeError("timed out waiting for %r in %s" % (text, path))


class Simulator:
    """`linkwright-cli run` as a TCP or UDP server on a free port."""

    def __init__(self, cli, work, mode, polling, rows, wake=False, settings=()):
        self.port = free_port(socket.SOCK_DGRAM if mode == 2 else socket.SOCK_STREAM)
        err = os.path.join(work, "err-%d.txt" % self.port)
        self.process = subprocess.Popen(
            [cli, "--config", os.path.join(work, "linkwright.cfg"), "run",
             "--set", "Connection.Mode=%d" % mode, "--set", "Connection.ActAsServer=1",
             "--set", "Connection.SocketPort=%d" % self.port,
             "--set", "Connection.RxPollingTime=%d" % polling]
            + [arg for setting in settings for arg in ("--set", "Connection." + setting)]
            + (["--wake-on-data"] if wake else []) + [rows],
            stdout=subprocess.DEVNULL, stderr=open(err, "w"))
        wait_for_text(err, "link: TCP " if mode == 1 else "link: UDP ")

    def stop(self):
        self.process.terminate()
        self.process.wait()


def socat_server(port, target, *options):
    return subprocess.Popen(["socat", *options, "TCP-LISTEN:%d,reuseaddr" % port, target])


def stream_into(port, megabytes):
    """Sends the stream, then waits for the server to close: seconds from connect to close."""
    block = PACKET * 10000
    blocks = megabytes * 1000000 // len(block)
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", port)) as peer:
        for _ in range(blocks):
            peer.sendall(block)
        peer.shutdown(socket.SHUT_WR)
        while peer.recv(65536):
            pass
    return blocks * len(block) / 1e6 / (time.perf_counter() - start)


def paced_stream(rate):
    """A stream of 100 kB writes, each written once select() says the socket has room, and
    with a `rate` in MB/s (0: as fast as the socket takes them) no sooner than its time. A
    reader that pauses lets the socket fill and holds the producer back, so the pauses show."""
    def stream(port, megabytes):
        block = PACKET * 1000
        blocks = megabytes * 1000000 // len(block)
        start = time.perf_counter()
        with socket.create_connection(("127.0.0.1", port)) as peer:
            peer.setblocking(False)
            for i in range(blocks):
                lag = start + i * len(block) / (rate * 1e6) - time.perf_counter() if rate else 0
                if lag > 0:
                    select.select([], [], [], lag)
                view = memoryview(block)
                while view:
                    select.select([], [peer], [])
                    view = view[peer.send(view):]
            peer.setblocking(True)
            peer.shutdown(socket.SHUT_WR)
            while peer.recv(65536):
                pass
        return blocks * len(block) / 1e6 / (time.perf_counter() - start)
    return stream


def percentile(sorted_values, fraction):
    return sorted_values[min(len(sorted_values) - 1, int(fraction * len(sorted_values)))]


def reply_latencies(port, count):
    """One request at a time, each 1 ms after the reply to the one before: median and p99 in
    ms. The pause lets a receive tick find nothing more waiting and end, as between the
    requests of a device; without it a tick would take request after request."""
    times = []
    with socket.create_connection(("127.0.0.1", port)) as peer:
        peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        peer.settimeout(10)
        for _ in range(count):
            time.sleep(0.001)
            start = time.perf_counter()
            peer.sendall(PACKET)
            received = 0
            while received < len(PACKET):
                received += len(peer.recv(65536))
            times.append((time.perf_counter() - start) * 1000)
    times.sort()
    return percentile(times, 0.5), percentile(times, 0.99)


def tcp_echo_exchange(port, count, server_pid):
    """Sends `count` packets while reading the replies: replies/s and CPU s per 1 M replies."""
    expected = count * len(PACKET)
    with socket.create_connection(("127.0.0.1", port)) as peer:
        peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        cpu_before = cpu_seconds(server_pid)
        start = time.perf_counter()

        def send():
            block = PACKET * 1000
            for _ in range(count // 1000):
                peer.sendall(block)

        sender = threading.Thread(target=send)
        sender.start()
        buffer = bytearray(1 << 20)
        received = 0
        peer.settimeout(10)
        while received < expected:
            n = peer.recv_into(buffer)
            if n == 0:
                break
            received += n
        seconds = time.perf_counter() - start
        cpu = cpu_seconds(server_pid) - cpu_before
        sender.join()
    replies = received // len(PACKET)
    return replies / seconds, cpu * 1e6 / max(replies, 1)


def udp_lost_percent(port, rate, seconds):
    """Sends `rate` datagrams/s for `seconds` and counts the replies: percentage lost."""
    total = rate * seconds
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as peer:
        peer.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
        peer.connect(("127.0.0.1", port))
        replies = [0]
        done = threading.Event()

        def count_replies():
            peer.settimeout(0.1)
            while not done.is_set():
                try:
                    peer.recv(65536)
                    replies[0] += 1
                except socket.timeout:
                    pass

        reader = threading.Thread(target=count_replies)
        reader.start()
        batch = max(rate // 1000, 1)
        start = time.perf_counter()
        for i in range(0, total, batch):
            lag = start + i / rate - time.perf_counter()
            if lag > 0:
                time.sleep(lag)
            for _ in range(min(batch, total - i)):
                peer.send(PACKET)
        # Replies still on their way arrive within a polling period and the work behind it.
        time.sleep(1.0)
        done.set()
        reader.join()
    return 100.0 * (total - replies[0]) / total


PYTHON_UDP_ECHO = """
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
print("ready", flush=True)
while True:
    data, sender = s.recvfrom(65536)
    s.sendto(data, sender)
"""


def python_udp_echo(port):
    """Starts the echo and returns once its socket is bound, however long the start takes."""
    process = subprocess.Popen([sys.executable, "-c", PYTHON_UDP_ECHO, str(port)],
                               stdout=subprocess.PIPE, text=True)
    process.stdout.readline()
    return process


def write_rows(work):
    silent = os.path.join(work, "silent.txt")
    with open(silent, "w") as f:
        f.write("F1 0\nunused\n\n")
    echo = os.path.join(work, "echo.txt")
    with open(echo, "w") as f:
        f.write("F1 1\n%s\n%s\n" % (TRIGGER, TRIGGER))
    return silent, echo


def stream_row(cli, work, rows, polling, megabytes, stream=stream_into, wake=False):
    simulator = Simulator(cli, work, 1, polling, rows, wake)
    try:
        now = stream(simulator.port, megabytes)
    finally:
        simulator.stop()
    port = free_port()
    socat = socat_server(port, "OPEN:/dev/null", "-u")
    wait_for_listener_once(port)
    reference = stream(port, megabytes)
    socat.wait()
    return now, reference


def wait_for_listener_once(port):
    # A socat that accepts one connection must not be used up by the probe, so wait for the
    # port to be bound instead of connecting to it.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        with open("/proc/net/tcp") as f:
            if (":%04X 00000000:0000 0A" % port) in f.read():
                return
        time.sleep(0.01)
    raise RuntimeError("socat does not listen on port %d" % port)


def exchange_with_simulator(cli, work, rows, polling, wake, exchange):
    simulator = Simulator(cli, work, 1, polling, rows, wake)
    try:
        return exchange(simulator.port, simulator.process.pid)
    finally:
        simulator.stop()


def exchange_with_socat_echo(exchange):
    port = free_port()
    socat = socat_server(port, "PIPE")
    wait_for_listener_once(port)
    reference = exchange(port, socat.pid)
    socat.wait()
    return reference


def reply_row(cli, work, rows, count, wake=False):
    def exchange(port, pid):
        return tcp_echo_exchange(port, count, pid)
    now = exchange_with_simulator(cli, work, rows, 10, wake, exchange)
    return now, exchange_with_socat_echo(exchange)


def latency_row(cli, work, rows, count):
    """Median and p99 with wake on data, without it (a hundredth of the requests) and of socat."""
    def exchange(requests):
        return lambda port, pid: reply_latencies(port, requests)
    woken = exchange_with_simulator(cli, work, rows, 100, True, exchange(count))
    polled = exchange_with_simulator(cli, work, rows, 100, False, exchange(max(count // 100, 20)))
    return woken, polled, exchange_with_socat_echo(exchange(count))


def udp_row(cli, work, rows, polling, rate, seconds):
    simulator = Simulator(cli, work, 2, polling, rows)
    try:
        now = udp_lost_percent(simulator.port, rate, seconds)
    finally:
        simulator.stop()
    port = free_port(socket.SOCK_DGRAM)
    echo = python_udp_echo(port)
    try:
        reference = udp_lost_percent(port, rate, seconds)
    finally:
        echo.terminate()
        echo.wait()
    return now, reference


def idle_cpu_percent(cli, work, rows, seconds, wake=False):
    """CPU share of a TCP server at the default RxPollingTime with no peer."""
    simulator = Simulator(cli, work, 1, 100, rows, wake)
    try:
        before = cpu_seconds(simulator.process.pid)
        time.sleep(seconds)
        return 100.0 * (cpu_seconds(simulator.process.pid) - before) / seconds
    finally:
        simulator.stop()


def verdict(met):
    return "met" if met else "MISSED"


def main():
    cli = os.path.join(sys.argv[1], "src", "cli", "linkwright-cli")
    megabytes = int(os.environ.get("BENCH_MEGABYTES", "200"))
    count = int(os.environ.get("BENCH_REPLIES", "300000")) // 1000 * 1000
    latency_requests = int(os.environ.get("BENCH_LATENCY_REQUESTS", "3000"))
    paced_rate = float(os.environ.get("BENCH_PACED_RATE", "0"))
    paced_megabytes = int(os.environ.get("BENCH_PACED_MEGABYTES", "100"))
    rate = int(os.environ.get("BENCH_UDP_RATE", "20000"))
    seconds = int(os.environ.get("BENCH_UDP_SECONDS", "5"))
    with tempfile.TemporaryDirectory() as work:
        silent, echo = write_rows(work)
        print("== receive and reply path at wire speed (load %.2f %.2f %.2f)" % os.getloadavg())
        rows = []

        now, ref = stream_row(cli, work, silent, 100, megabytes)
        rows.append(("TCP stream %d MB into run, no reply, RxPollingTime 100" % megabytes,
                     "%.1f MB/s" % now, "socat %.1f MB/s" % ref, "%.3f" % (now / ref),
                     ">= 150 MB/s, ratio >= 0.3", verdict(now >= 150 and now / ref >= 0.3)))

        now, ref = stream_row(cli, work, silent, 10, megabytes)
        rows.append(("same, RxPollingTime 10", "%.1f MB/s" % now, "socat %.1f MB/s" % ref,
                     "%.3f" % (now / ref), "ratio >= 0.3", verdict(now / ref >= 0.3)))

        (rate_now, cpu_now), (rate_ref, cpu_ref) = reply_row(cli, work, echo, count)
        rows.append(("TCP, %d packets each answered by AutoReply, RxPollingTime 10" % count,
                     "%.0f replies/s (%.1f MB/s), %.2f s CPU per 1 M replies"
                     % (rate_now, rate_now * len(PACKET) / 1e6, cpu_now),
                     "socat echo %.0f replies/s (%.1f MB/s), %.2f s CPU"
                     % (rate_ref, rate_ref * len(PACKET) / 1e6, cpu_ref),
                     "%.3f" % (rate_now / rate_ref),
                     ">= 300,000 replies/s, <= 3 s CPU per 1 M",
                     verdict(rate_now >= 300000 and cpu_now <= 3)))

        for polling in (100, 10):
            now, ref = udp_row(cli, work, echo, polling, rate, seconds)
            rows.append(("UDP %d datagrams/s for %d s, each answered, RxPollingTime %d"
                         % (rate, seconds, polling), "%.2f %% lost" % now,
                         "python echo %.2f %% lost" % ref, "-", "0 lost", verdict(now == 0)))

        idle = idle_cpu_percent(cli, work, echo, 10)
        rows.append(("idle TCP server, no peer, RxPollingTime 100, 10 s", "%.2f %% CPU" % idle,
                     "-", "-", "stays low (was 0.1 %)", verdict(idle <= 0.5)))

        woken, polled, ref = latency_row(cli, work, echo, latency_requests)
        rows.append(("wake on data: TCP reply latency, one request at a time, RxPollingTime 100",
                     "median %.3f ms, p99 %.3f ms" % woken,
                     "socat echo median %.3f ms, p99 %.3f ms" % ref, "%.1f" % (woken[0] / ref[0]),
                     "median <= 0.2 ms, p99 <= 2 ms",
                     verdict(woken[0] <= 0.2 and woken[1] <= 2)))
        rows.append(("same without wake on data", "median %.3f ms, p99 %.3f ms" % polled,
                     "socat echo median %.3f ms" % ref[0], "%.1f" % (polled[0] / ref[0]),
                     "as before (a polling period)", "-"))

        for wake in (True, False):
            now, ref = stream_row(cli, work, silent, 100, paced_megabytes,
                                  paced_stream(paced_rate), wake)
            rows.append(("%s: TCP stream %d MB of select-paced 100 kB writes%s, "
                         "RxPollingTime 100" % ("wake on data" if wake else "without wake on data",
                                                paced_megabytes,
                                                " at %g MB/s" % paced_rate if paced_rate else ""),
                         "%.1f MB/s" % now, "socat %.1f MB/s" % ref, "%.3f" % (now / ref),
                         "ratio >= 0.9" if wake else "as before",
                         verdict(now / ref >= 0.9) if wake else "-"))

        (rate_now, cpu_now), (rate_ref, cpu_ref) = reply_row(cli, work, echo, count, True)
        rows.append(("wake on data: TCP, %d packets each answered by AutoReply, RxPollingTime 10"
                     % count, "%.0f replies/s, %.2f s CPU per 1 M replies" % (rate_now, cpu_now),
                     "socat echo %.0f replies/s, %.2f s CPU" % (rate_ref, cpu_ref),
                     "%.3f" % (rate_now / rate_ref), "ratio >= 0.8",
                     verdict(rate_now / rate_ref >= 0.8)))

        idle = idle_cpu_percent(cli, work, echo, 10, True)
        rows.append(("wake on data: idle TCP server, no peer, RxPollingTime 100, 10 s",
                     "%.2f %% CPU" % idle, "-", "-", "<= 0.2 %", verdict(idle <= 0.2)))

    print("| measure | now | reference | ratio | goal | goal met? |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print("== load after the run %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
