#!/bin/sh
# Runs a command with its output going into a log file. On a terminal, each
# line shows in turn over the last one, and the line is wiped at the end, so
# that nothing of it stays on the screen; when the command fails, the whole
# log is shown. Usage: tools/quietly.sh LOG COMMAND...
set -u
log=$1
shift
mkdir -p "$(dirname "$log")"
# make, started on a terminal, tells the makes below it so through these, and
# CMake's progress lines would then put colour codes into the log.
unset MAKE_TERMOUT MAKE_TERMERR
if [ -t 1 ]; then
    width=$(($(tput cols 2>/dev/null || echo 80) - 1))
    status=$(mktemp)
    { "$@" 2>&1; echo $? >"$status"; } | tee "$log" | while IFS= read -r line; do
        printf '\r\033[K%s' "$(printf '%s' "$line" | cut -c "1-$width")"
    done
    printf '\r\033[K'
    code=$(cat "$status")
    rm -f "$status"
else
    "$@" >"$log" 2>&1
    code=$?
fi
[ "$code" -eq 0 ] || cat "$log" >&2
exit "$code"
