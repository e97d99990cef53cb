#!/usr/bin/env bash
# Takes the README's picture of the scenario panel: the demo device (`linkwright-cli run`) on a
# free TCP port, the window opening examples/demo-scenario.yaml through Tools > Run Scenario...
# and running it, all on a virtual X server.
# Usage: scripts/screenshot-scenario.sh [BUILD_FOLDER [OUTPUT_PNG]]
#        (defaults: build/release, docs/scenario-panel.png)
set -euo pipefail
source "$(dirname "$0")/screenshot-start.sh" scenario-panel.png "$@"

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$build/src/cli/linkwright-cli" --config "$work/device.cfg" run --wake-on-data \
  --set Connection.Mode=1 --set Connection.ActAsServer=1 --set Connection.SocketPort="$port" \
  "$root/examples/demo.xml" >/dev/null 2>&1 &
# The demo scenario, pointed at the device's port.
cp "$root/examples/demo.xml" "$work/"
sed "s/SocketPort: 1024/SocketPort: $port/" "$root/examples/demo-scenario.yaml" \
  >"$work/demo-scenario.yaml"

mkdir -p "$work/config/Linkwright"
HOME=$work XDG_CONFIG_HOME=$work/config "$build/src/gui/linkwright" --config "$work/window.cfg" \
  "$root/examples/demo.xml" &
window=$(xdotool search --sync --onlyvisible --name 'Linkwright' | head -n 1)
xdotool windowmove "$window" 0 0 windowsize "$window" 1180 760 windowfocus --sync "$window"
sleep 0.5
# Tools > Run Scenario... is the menu's last entry.
xdotool key alt+t Up Return
dialog=$(xdotool search --sync --onlyvisible --name 'Run Scenario' | head -n 1)
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool type --delay 5 "$work/demo-scenario.yaml"
xdotool key Return
panel=$(xdotool search --sync --onlyvisible --name 'Scenario - ' | head -n 1)
xdotool windowmove "$panel" 600 300 windowfocus --sync "$panel"
xdotool key alt+r
sleep 2
mkdir -p "$(dirname "$out")"
import -window root -crop 1180x760+0+0 "$out"
echo "screenshot: $out"
