#!/usr/bin/env bash
# Starts the program from a build folder: the console simulator, standing in for a device on
# TCP port 1024 with the demo message file, until the window front-end exists.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
cat <<'HELP'
Linkwright simulator: a device on TCP port 1024 answering with examples/demo.xml.
Talk to it from another terminal with
    socat - TCP:127.0.0.1:1024,cr
and type (socat turns each Enter into CR, which closes a packet):
    PING            → PONG
    GET 7           → VALUE 42
Everything received and sent is traced below; Ctrl+C stops it.
HELP
exec "$build/src/cli/linkwright-cli" run --set Connection.Mode=1 --set Connection.ActAsServer=1 \
  --set Connection.SocketPort=1024 "$root/examples/demo.xml"
