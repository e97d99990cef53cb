# The start every screenshot script shares, sourced with the script's arguments and its default
# picture (a path under docs/): sets root, build and out, and runs the script again on a
# virtual X server unless it already is on one.
# Usage: source "$(dirname "$0")/screenshot-start.sh" DEFAULT_PNG "$@"
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build/release}" && pwd)
out=$(realpath -m "${3:-$root/docs/$1}")

if [ -z "${LINKWRIGHT_SCREENSHOT_DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x860x24' env LINKWRIGHT_SCREENSHOT_DISPLAY=1 "$0" "$build" "$out"
fi
