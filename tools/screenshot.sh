#!/bin/sh
# Makes docs/screenshot.png: the release build in a real xterm under Xvfb, on
# a level laid by the game's own generator, a few steps into it.
# Usage: tools/screenshot.sh [DISPLAY_NUMBER] (default 47). Needs xvfb, xterm,
# xdotool, imagemagick and fonts-dejavu-core.
set -eu
cd "$(dirname "$0")/.."
display=:${1:-47}
level=10
seed=40
steps=20
output=docs/screenshot.png

make build >/dev/null
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The saved game of that level, and the keys along its path.
g++ -std=c++20 -O2 -I. tools/screenshot_level.cpp build/release/libquillonex_game.a -o "$work/level"
"$work/level" $level $seed >"$work/level.txt"
head -n 1 "$work/level.txt" | tr -d '\n' >"$work/record.quillonex"
keys=$(sed -n 2p "$work/level.txt" | cut -c "1-$steps")

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
pids="$! $pids"
sleep 1
game=$(pwd)/build/release/quillonex
(cd "$work" && DISPLAY=$display COLORTERM=truecolor exec xterm -geometry 32x16+0+0 \
    -fa 'DejaVu Sans Mono' -fs 13 -bg black -fg grey90 -title quillonex -e "$game") &
pids="$! $pids"
sleep 2
window=$(DISPLAY=$display xdotool search --sync --name quillonex | head -n 1)
# Keys go in through XTEST to the window under the pointer: xterm ignores
# keys sent to it by other programs' events.
DISPLAY=$display xdotool mousemove --window "$window" 20 20
press() {
    DISPLAY=$display xdotool type --delay 80 "$1"
    sleep 0.5
}
DISPLAY=$display xdotool key Return
sleep 0.5
press y
sleep 1
press "$keys"
# The pointer leaves the window, so that xterm draws the cursor as an outline
# and the player's block shows whole.
DISPLAY=$display xdotool mousemove 790 590
sleep 1
DISPLAY=$display import -window "$window" "$work/shot.png"
convert "$work/shot.png" -strip -colors 32 "png8:$output"
echo "Wrote $output ($(stat -c %s "$output") bytes)"
