#!/usr/bin/env bash
# Drives the designer under Xvfb with xdotool through the editing features and saves the README's
# screenshots of them to docs/images/editing-*.png. A developer's tool: make test does not run it.
# Usage: scripts/editing-screenshots.sh [build folder]   (needs xvfb, xdotool, imagemagick)
set -euo pipefail
build=${1:-build/release}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/images"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" HOME="$home" XDG_CONFIG_HOME="$home/config"
strevia="$XDG_DATA_HOME/Strevia"
mkdir -p "$strevia" "$XDG_DATA_HOME/quorvel"
tool="$build/tools/quorvel-tool"

# Five templates: slot A a hand-made layout, B to D presets, E one with faults.
pip() { # input x y w h visible border
    printf '{"InputIndex": %s, "PosX": %s, "PosY": %s, "Width": %s, "Height": %s, "RecTop": 0, "RecLeft": 0, "RecBottom": 1080, "RecRight": 1920, "Visible": %s, "ProfileIndex": 0, "Border": %s, "BorderColor": 16777215, "PIPType": 3, "BackFile": "", "FrontFile": ""}' "$@"
}
template() { # slot json
    "$tool" template write "$strevia/$("$tool" template name --size 1920x1080 --slot "$1" --set 1)" <<<"$2"
}
template 1 "{\"entries\": [$(pip 1 96 96 1100 619 true 4), $(pip 2 1240 96 584 328 true 4), $(pip 3 1240 520 584 328 true 4), $(pip 4 0 0 0 0 false 0)]}"
"$tool" preset "Distribuída 4" --size 1920x1080 >"$home/p4.json"
template 2 "$(cat "$home/p4.json")"
"$tool" preset "Distribuída 1-2" --size 1920x1080 >"$home/p12.json"
template 3 "$(cat "$home/p12.json")"
"$tool" preset "Horizontal 3" --size 1920x1080 >"$home/h3.json"
template 4 "$(cat "$home/h3.json")"
template 5 "{\"entries\": [$(pip 1 100 100 0 300 true 0), $(pip 2 2100 200 480 270 true 0), $(pip 3 600 500 480 270 true 0), $(pip 7 1200 500 480 270 true 0)]}"
printf '[Quorvel]\r\nShowSafeAreas=1\r\nShowGrid=0\r\nGridSize=120\r\n' >"$XDG_DATA_HOME/quorvel/quorvel.sav"

xvfb-run -a -s "-screen 0 1280x760x24" bash -c '
set -euo pipefail
app=$1 out=$2
"$app" & pid=$!
sleep 7
win=$(xdotool search --sync --name "^Quorvel" | head -1)
eval "$(xdotool getwindowgeometry --shell "$win")"
at() { xdotool mousemove $((X + $1)) $((Y + $2)); }
shot() { sleep 0.6; import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/$1"; }
# The slot tiles with their templates drawn in.
sleep 0.6; import -window root -crop "420x57+${X}+${Y}" "$out/editing-6-thumbnails.png"
# PIP 2 dragged towards PIP 1: its left edge snaps to PIP 1'"'"'s right edge, its top to PIP 1'"'"'s top.
at 724 182; xdotool mousedown 1
for dx in 4 8 12 16 20 21; do at $((724 - dx)) 182; sleep 0.1; done
shot editing-1-drag.png
xdotool mouseup 1
# The editing menu with its keys.
at 372 30; xdotool click 1
shot editing-2-menu.png
# The grid over the safe areas.
at 400 271; xdotool click 1
shot editing-3-overlays.png
at 372 30; xdotool click 1; sleep 0.3; at 400 271; xdotool click 1
# Slot E holds a layout with faults: "Salvar" lists them first.
at 232 30; xdotool click 1; sleep 0.5
at 1045 597; xdotool click 1
shot editing-4-check.png
xdotool key Escape; sleep 0.3
# Slot A: its PIP 1'"'"'s place for all six slots, after a confirmation.
at 28 30; xdotool click 1; sleep 0.5
at 372 30; xdotool click 1; sleep 0.3; at 490 141; xdotool click 1
shot editing-5-apply-all.png
xdotool key Escape
kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$build/app/quorvel" "$out"
