#!/bin/sh
# Makes docs/boards.png: whole boards of levels 30, 60, 100, 300 and 999 laid by
# the game's own generator on one seed, side by side, one pixel a cell (wall
# black, floor white, player and goal red). Needs zlib1g-dev.
# Usage: tools/board_pictures.sh [SEED] (default 7)
set -eu
cd "$(dirname "$0")/.."
seed=${1:-7}
make build >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -I. tools/board_pictures.cpp build/release/libquillonex_game.a -lz -o "$work/pictures"
"$work/pictures" docs/boards.png "$seed" 30 60 100 300 999
echo "Wrote docs/boards.png (seed $seed)"
