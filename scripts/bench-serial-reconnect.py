#!/usr/bin/env python3
"""Serial reconnect measures, on a socat pseudo-terminal pair standing in for a USB adapter.

With Connection.SerialReconnect on, `linkwright-cli run` holds end a open. socat is stopped
(the adapter pulled: its link goes away) and started again on the same link names (plugged in
again). Prints
  - the time from the device's return (both links there again) to the trace line that the link
    reopened, for each of ROUNDS returns, and their maximum (goal: at most 1 s);
  - the processor time the console uses while it waits for the device, as a share of one core
    over WAIT seconds (goal: at most 0.2 %).

Usage: scripts/bench-serial-reconnect.py BUILD_DIR [ROUNDS] [WAIT]
"""
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def wait_for(check, limit=5.0):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        if check():
            return True
        time.sleep(0.001)
    return check()


class Reader:
    """Lines of the console's standard output, read without blocking."""

    def __init__(self, stream):
        self.stream = stream
        self.pending = b""

    def wait_line(self, text, limit=10.0):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                if text in line.decode(errors="replace"):
                    return time.monotonic()
            ready, _, _ = select.select([self.stream], [], [], 0.05)
            if ready:
                chunk = os.read(self.stream.fileno(), 4096)
                if not chunk:
                    break
                self.pending += chunk
        raise SystemExit(f"no trace line with {text!r} within {limit} s")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    build = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    wait = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    cli = os.path.join(build, "src", "cli", "linkwright-cli")
    folder = tempfile.mkdtemp(prefix="linkwright-reconnect-")
    a, b = os.path.join(folder, "a"), os.path.join(folder, "b")
    socat_args = ["socat", f"pty,raw,echo=0,link={a}", f"pty,raw,echo=0,link={b}"]
    config = os.path.join(folder, "linkwright.cfg")
    with open(config, "w") as out:
        out.write(f"[Connection]\nMode=0\nCommConfig={a}:115200,N,8,1\nSerialReconnect=1\n")
    rows = os.path.join(folder, "rows.txt")
    with open(rows, "w") as out:
        out.write("\n")

    def start_socat():
        started = subprocess.Popen(socat_args)
        if not wait_for(lambda: os.path.exists(a) and os.path.exists(b)):
            raise SystemExit("socat made no pseudo-terminals")
        return started, time.monotonic()

    socat, _ = start_socat()
    console = subprocess.Popen([cli, "--config", config, "run", rows], stdout=subprocess.PIPE)
    reader = Reader(console.stdout)
    times = []
    cpu_share = None
    try:
        time.sleep(0.5)
        for round_ in range(rounds):
            socat.send_signal(signal.SIGTERM)
            socat.wait()
            reader.wait_line("waiting for the device")
            if round_ == 0:
                before, start = cpu_seconds(console.pid), time.monotonic()
                time.sleep(wait)
                used = cpu_seconds(console.pid) - before
                cpu_share = 100.0 * used / (time.monotonic() - start)
            else:
                time.sleep(0.3)
            socat, returned = start_socat()
            reopened = reader.wait_line("the device is back")
            times.append(reopened - returned)
    finally:
        console.send_signal(signal.SIGTERM)
        console.wait()
        socat.send_signal(signal.SIGTERM)
        socat.wait()
        shutil.rmtree(folder, ignore_errors=True)
    print("return to reopened link (ms): " + ", ".join(f"{t * 1000:.0f}" for t in times))
    print(f"longest: {max(times) * 1000:.0f} ms (goal: at most 1000 ms)")
    print(f"processor while waiting: {cpu_share:.3f} % of one core over {wait:.0f} s "
          "(goal: at most 0.2 %)")


if __name__ == "__main__":
    main()
