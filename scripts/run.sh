#!/usr/bin/env bash
# Starts the program from a build folder: the window with the demo table when a display is
# there, otherwise the console simulator. Either stands in for a device on TCP port 1024.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
demo_settings=(--set Connection.Mode=1 --set Connection.ActAsServer=1 --set Connection.SocketPort=1024)

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): starting the console simulator instead of the window."
elif [ ! -x "$build/src/gui/linkwright" ]; then
  echo "The window was not built (LINKWRIGHT_BUILD_GUI=OFF): starting the console simulator instead."
else
  # The demo keeps its own settings, so it never changes the user's.
  config="$build/linkwright-demo.cfg"
  if [ ! -f "$config" ]; then
    set_value=("$build/src/cli/linkwright-cli" --config "$config" config set Connection)
    "${set_value[@]}" Mode 1
    "${set_value[@]}" ActAsServer 1
    "${set_value[@]}" SocketPort 1024
  fi
  cat <<HELP
Linkwright window with examples/demo.xml, set up as a TCP server on port 1024 (settings in
$config). Choose Tools > Open Connection, then talk to it from a terminal with
    socat - TCP:127.0.0.1:1024,cr
and type PING or GET 7; F5 pings the other side.
HELP
  exec "$build/src/gui/linkwright" --config "$config" "$root/examples/demo.xml"
fi

cat <<'HELP'
Linkwright simulator: a device on TCP port 1024 answering with examples/demo.xml.
Talk to it from another terminal with
    socat - TCP:127.0.0.1:1024,cr
and type (socat turns each Enter into CR, which closes a packet):
    PING            → PONG
    GET 7           → VALUE 42
Everything received and sent is traced below; Ctrl+C stops it.
HELP
exec "$build/src/cli/linkwright-cli" run "${demo_settings[@]}" "$root/examples/demo.xml"
