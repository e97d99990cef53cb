#!/usr/bin/env python3
"""Measures the receive and reply path of the simulator (`linkwright-cli run`) at wire speed,
each row side by side with a reference program doing the same job in the same run:

  1. TCP stream into `run` (no row answers), RxPollingTime 100  -- against socat reading it
  2. the same at RxPollingTime 10                                -- against socat reading it
  3. TCP, every packet answered by AutoReply, RxPollingTime 10   -- against a socat echo
  4. UDP, 20,000 datagrams/s for 5 s, RxPollingTime 100 (each answered) -- against a python echo
  5. the same at RxPollingTime 10                                -- against a python echo
  6. an idle TCP server at the default RxPollingTime: its CPU share

Packets are 100 bytes: 99 digits and CR. The simulator's trace goes to /dev/null. Prints one
table with the figures, the ratios and whether each goal is met.

Usage: bench-wire-speed.py BUILD_DIR
Environment: BENCH_MEGABYTES (stream size, default 200), BENCH_REPLIES (default 300000),
BENCH_UDP_RATE (datagrams/s, default 20000), BENCH_UDP_SECONDS (default 5).
"""
import os
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

    def __init__(self, cli, work, mode, polling, rows):
        self.port = free_port(socket.SOCK_DGRAM if mode == 2 else socket.SOCK_STREAM)
        err = os.path.join(work, "err-%d.txt" % self.port)
        self.process = subprocess.Popen(
            [cli, "--config", os.path.join(work, "linkwright.cfg"), "run",
             "--set", "Connection.Mode=%d" % mode, "--set", "Connection.ActAsServer=1",
             "--set", "Connection.SocketPort=%d" % self.port,
             "--set", "Connection.RxPollingTime=%d" % polling, rows],
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
while True:
    data, sender = s.recvfrom(65536)
    s.sendto(data, sender)
"""


def python_udp_echo(port):
    process = subprocess.Popen([sys.executable, "-c", PYTHON_UDP_ECHO, str(port)])
    time.sleep(0.3)
    return process


def write_rows(work):
    silent = os.path.join(work, "silent.txt")
    with open(silent, "w") as f:
        f.write("F1 0\nunused\n\n")
    echo = os.path.join(work, "echo.txt")
    with open(echo, "w") as f:
        f.write("F1 1\n%s\n%s\n" % (TRIGGER, TRIGGER))
    return silent, echo


def stream_row(cli, work, rows, polling, megabytes):
    simulator = Simulator(cli, work, 1, polling, rows)
    try:
        now = stream_into(simulator.port, megabytes)
    finally:
        simulator.stop()
    port = free_port()
    socat = socat_server(port, "OPEN:/dev/null", "-u")
    wait_for_listener_once(port)
    reference = stream_into(port, megabytes)
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


def reply_row(cli, work, rows, count):
    simulator = Simulator(cli, work, 1, 10, rows)
    try:
        now = tcp_echo_exchange(simulator.port, count, simulator.process.pid)
    finally:
        simulator.stop()
    port = free_port()
    socat = socat_server(port, "PIPE")
    wait_for_listener_once(port)
    reference = tcp_echo_exchange(port, count, socat.pid)
    socat.wait()
    return now, reference


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


def idle_cpu_percent(cli, work, rows, seconds):
    """CPU share of a TCP server at the default RxPollingTime with no peer."""
    simulator = Simulator(cli, work, 1, 100, rows)
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

    print("| measure | now | reference | ratio | goal | goal met? |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print("== load after the run %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
