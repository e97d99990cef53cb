#!/usr/bin/env bash
# Takes the README's picture of the window: the demo table as a TCP server, a peer that sends
# it a few requests and gets the answers, and a row sent with F5, all on a virtual X server; the
# trace with timestamps and colours.
# Usage: scripts/screenshot.sh [BUILD_FOLDER [OUTPUT_PNG]]   (defaults: build/release, docs/window.png)
set -euo pipefail
source "$(dirname "$0")/screenshot-start.sh" window.png "$@"

work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
set_value=("$build/src/cli/linkwright-cli" --config "$work/demo.cfg" config set)
"${set_value[@]}" Connection Mode 1
"${set_value[@]}" Connection ActAsServer 1
"${set_value[@]}" Connection SocketPort "$port"

# A home of its own, so the window's saved placement and recent files are not the user's; the
# trace shows its timestamps (and its colours, on by default).
mkdir -p "$work/config/Linkwright"
printf '[Trace]\nTimestamps=true\n' >"$work/config/Linkwright/Linkwright.conf"
HOME=$work XDG_CONFIG_HOME=$work/config "$build/src/gui/linkwright" --config "$work/demo.cfg" \
  "$root/examples/demo.xml" &
app=$!
window=$(xdotool search --sync --onlyvisible --name 'Linkwright' | head -n 1)
xdotool windowmove "$window" 0 0 windowsize "$window" 1180 760 windowfocus --sync "$window"
sleep 0.5
# Tools > Open Connection (the menu's first entry); then wait until the window listens.
xdotool key alt+t Return
for _ in $(seq 50); do
  ss -Hltn "sport = :$port" | grep -q LISTEN && break
  sleep 0.2
done

# The peer sends its requests, says so, and stays connected until the picture is taken.
python3 - "$port" "$work/peer-ready" <<'PEER' &
import socket, sys, time
peer = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
for request in (b"PING\r", b"GET 7\r", b"\x02STATUS?\x03\r", b"HELLO\r"):
    peer.sendall(request)
    time.sleep(0.3)
open(sys.argv[2], "w").close()
time.sleep(5)
PEER
peer=$!
for _ in $(seq 100); do
  [ -e "$work/peer-ready" ] && break
  sleep 0.1
done
xdotool key F5
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
kill "$peer"
echo "screenshot: $out"
