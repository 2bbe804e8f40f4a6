#!/bin/sh
# The basic colour GNU screen sends for each entry of the 256-colour palette to
# a terminal whose TERM has 8 colours, when screen is told TERM=screen-256color:
# one digit per entry, 0 to 255 (bench/colour_vision.cpp holds the result).
#
#   bench/screen_fallback.sh      (needs the screen and script commands)
set -e
dir=$(mktemp -d)
chmod 700 "$dir"
trap 'rm -rf "$dir"' EXIT
show='i=0; while [ $i -lt 256 ]; do printf "\033[38;5;%dm<%d>\033[0m\n" $i $i; i=$((i+1)); done; sleep 1'
digits=$(TERM=xterm SCREENDIR="$dir" script -qfec "screen -T screen-256color sh -c '$show'" /dev/null </dev/null |
    tr -d '\r' | grep -ao '\[3[0-7]m[^<]*<[0-9]*>' | sed 's/^\[3\([0-7]\)m.*<\([0-9]*\)>$/\2 \1/' |
    sort -n | uniq | awk '{ printf "%s", $2 } END { print "" }')
[ ${#digits} -eq 256 ] || { echo "screen showed ${#digits} entries, not 256" >&2; exit 1; }
echo "$digits" | fold -w 64
