#!/usr/bin/env bash
# Starts the designer from a build folder. With a display it simply runs; without one it runs under
# Xvfb for a few seconds and saves a screenshot of the screen to <build>/screenshot.png.
set -euo pipefail
build=${1:-build/release}
app="$build/app/quorvel"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$app"
fi
shot="$build/screenshot.png"
echo "No display: running the designer under Xvfb for a few seconds."
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
    "$1" & pid=$!
    sleep "${QUORVEL_SHOT_DELAY:-6}"
    import -window root "$2"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' _ "$app" "$shot"
echo "Screenshot saved to $shot"
