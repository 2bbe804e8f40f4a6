#!/usr/bin/env bash
# How much processor time the game takes while the title screen waits for a
# key. Runs an already built binary in a pseudo-terminal, measures its CPU time
# over the wait, then presses Enter so that it ends as a player would end it.
#
#   bench/idle_cpu.sh [binary] [seconds]      (defaults: build/release/quillonex 10)
#
# Prints the share of one core; the game must stay under 2 %.
set -euo pipefail

binary=${1:-build/release/quillonex}
seconds=${2:-10}
if [ ! -x "$binary" ]; then
    echo "no game at $binary: build it first (make build)" >&2
    exit 2
fi
binary=$(realpath "$binary")
command -v script >/dev/null || { echo "needs script (util-linux)" >&2; exit 2; }

# The game runs in a folder of its own, so nothing it writes lands here.
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cd "$workdir"

# CPU time of a process in nanoseconds: the scheduler's exact figure where the
# kernel has it, else user + system time in clock ticks.
cpu_ns() {
    if [ -r "/proc/$1/schedstat" ]; then
        cut -d' ' -f1 "/proc/$1/schedstat"
    else
        awk -v hz="$(getconf CLK_TCK)" '{ printf "%.0f\n", ($14 + $15) * 1e9 / hz }' "/proc/$1/stat"
    fi
}

# script gives the game a terminal; its standard input stays silent until the
# measurement is over, then carries the Enter.
settle=1
{ sleep $((seconds + settle + 2)); printf '\r'; } |
    script -qec "exec '$binary'" /dev/null >/dev/null &
runner=$!

game=""
for _ in $(seq 100); do
    game=$(pgrep -P "$runner" || true)
    [ -n "$game" ] && break
    sleep 0.05
done
if [ -z "$game" ]; then
    echo "the game did not start" >&2
    exit 1
fi

# Let it draw the title and reach its wait before the clock starts.
sleep "$settle"
before=$(cpu_ns "$game")
start=$(date +%s%N)
sleep "$seconds"
after=$(cpu_ns "$game")
end=$(date +%s%N)

status=0
wait "$runner" || status=$?

awk -v cpu=$((after - before)) -v wall=$((end - start)) 'BEGIN {
    printf "idle at the title: %.2f%% of one core (%.1f ms of CPU in %.1f s)\n",
           100 * cpu / wall, cpu / 1e6, wall / 1e9
}'
if [ "$status" -ne 0 ]; then
    echo "the game ended with status $status after Enter" >&2
    exit 1
fi
