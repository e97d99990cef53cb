#!/usr/bin/env python3
"""Measures `linkwright-cli run` as a TLS server, each row side by side with socat doing the same
job with the same TLS settings (TLS 1.3, the same certificate and key, no client certificate)
in the same run:

  1. TLS stream into `run` (no row answers), RxPollingTime 10   -- against socat reading it
  2. TLS, every packet answered by AutoReply, RxPollingTime 10  -- against a socat echo

The client is the same Python TLS client for both. Certificates are made with openssl for the
run. Goal: each ratio >= 0.7. Prints one table like bench-wire-speed.py.

Usage: bench-tls-speed.py BUILD_DIR
Environment: BENCH_TLS_MEGABYTES (stream size, default 200), BENCH_TLS_REPLIES (default
200000).
"""
import importlib.util
import os
import select
import socket
import ssl
import subprocess
import sys
import tempfile
import time

_spec = importlib.util.spec_from_file_location(
    "wire", os.path.join(os.path.dirname(os.path.abspath(__file__)), "bench-wire-speed.py"))
wire = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(wire)


def make_certificate(work):
    cert = os.path.join(work, "server.pem")
    key = os.path.join(work, "server.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=localhost"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def tls_client(port):
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    context.minimum_version = ssl.TLSVersion.TLSv1_3
    return context.wrap_socket(socket.create_connection(("127.0.0.1", port)),
                               server_hostname="localhost")


def read_until_closed(peer):
    try:
        while peer.recv(65536):
            pass
    except (ssl.SSLError, OSError):
        pass


def tls_stream(port, megabytes):
    """Sends the stream over TLS, ends the connection and waits for the server to close it."""
    block = wire.PACKET * 10000
    blocks = megabytes * 1000000 // len(block)
    start = time.perf_counter()
    with tls_client(port) as peer:
        for _ in range(blocks):
            peer.sendall(block)
        # Ends the sending side without close_notify, as the plain stream does with its FIN.
        socket.socket.shutdown(peer, socket.SHUT_WR)
        read_until_closed(peer)
    return blocks * len(block) / 1e6 / (time.perf_counter() - start)


def tls_exchange(port, count, server_pid):
    """Sends `count` packets while reading the replies, in one thread (a TLS connection is not
    shared between threads): replies/s and CPU s per 1 M replies."""
    expected = count * len(wire.PACKET)
    outgoing = memoryview(wire.PACKET * count)
    received = 0
    with tls_client(port) as peer:
        peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        peer.setblocking(False)
        cpu_before = wire.cpu_seconds(server_pid)
        start = time.perf_counter()
        while received < expected:
            writable = [peer] if outgoing else []
            ready_read, ready_write, _ = select.select([peer], writable, [], 10)
            if not ready_read and not ready_write and not peer.pending():
                break
            if ready_write:
                try:
                    outgoing = outgoing[peer.send(outgoing[:1 << 16]):]
                except (ssl.SSLWantWriteError, ssl.SSLWantReadError):
                    pass
            while True:
                try:
                    data = peer.recv(1 << 20)
                except (ssl.SSLWantReadError, ssl.SSLWantWriteError):
                    break
                if not data:
                    break
                received += len(data)
        seconds = time.perf_counter() - start
        cpu = wire.cpu_seconds(server_pid) - cpu_before
    replies = received // len(wire.PACKET)
    return replies / seconds, cpu * 1e6 / max(replies, 1)


def socat_tls_server(port, target, cert, key, *options):
    return subprocess.Popen(["socat", *options,
                             "OPENSSL-LISTEN:%d,reuseaddr,cert=%s,key=%s,verify=0" % (port, cert, key),
                             target], stderr=subprocess.DEVNULL)


def main():
    cli = os.path.join(sys.argv[1], "src", "cli", "linkwright-cli")
    megabytes = int(os.environ.get("BENCH_TLS_MEGABYTES", "200"))
    count = int(os.environ.get("BENCH_TLS_REPLIES", "200000")) // 1000 * 1000
    with tempfile.TemporaryDirectory() as work:
        cert, key = make_certificate(work)
        settings = ("TlsEnabled=1", "TlsCertFile=" + cert, "TlsKeyFile=" + key)
        silent, echo = wire.write_rows(work)
        print("== TLS receive and reply path (load %.2f %.2f %.2f)" % os.getloadavg())
        rows = []

        simulator = wire.Simulator(cli, work, 1, 10, silent, settings=settings)
        try:
            now = tls_stream(simulator.port, megabytes)
        finally:
            simulator.stop()
        port = wire.free_port()
        socat = socat_tls_server(port, "OPEN:/dev/null", cert, key, "-u")
        wire.wait_for_listener_once(port)
        ref = tls_stream(port, megabytes)
        socat.wait()
        rows.append(("TLS stream %d MB into run, no reply, RxPollingTime 10" % megabytes,
                     "%.1f MB/s" % now, "socat %.1f MB/s" % ref, "%.3f" % (now / ref),
                     "ratio >= 0.7", wire.verdict(now / ref >= 0.7)))

        for wake in (False, True):
            simulator = wire.Simulator(cli, work, 1, 10, echo, wake, settings)
            try:
                rate_now, cpu_now = tls_exchange(simulator.port, count, simulator.process.pid)
            finally:
                simulator.stop()
            port = wire.free_port()
            socat = socat_tls_server(port, "PIPE", cert, key)
            wire.wait_for_listener_once(port)
            rate_ref, cpu_ref = tls_exchange(port, count, socat.pid)
            socat.wait()
            rows.append(("TLS, %d packets each answered by AutoReply, RxPollingTime 10%s"
                         % (count, ", wake on data" if wake else ""),
                         "%.0f replies/s, %.2f s CPU per 1 M replies" % (rate_now, cpu_now),
                         "socat echo %.0f replies/s, %.2f s CPU" % (rate_ref, cpu_ref),
                         "%.3f" % (rate_now / rate_ref), "ratio >= 0.7",
                         wire.verdict(rate_now / rate_ref >= 0.7)))

    print("| measure | now | reference | ratio | goal | goal met? |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
