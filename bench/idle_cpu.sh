#!/usr/bin/env bash
# How much processor time the game takes while it waits for the player: at the
# title, at the resume prompt, at the restart prompt and during a level with
# no key pressed. Runs an already built binary in a pseudo-terminal, types the
# keys that lead to the place, checks that the screen shows it, measures the
# game's CPU time over the wait, then types the keys that end the game as a
# player would end it.
#
#   bench/idle_cpu.sh [binary] [seconds] [place ...]
#
# Defaults: build/release/quillonex, 10 seconds, every place in turn (title
# resume restart level). Prints the share of one core for each place; the
# game must stay under 2 % at each, and the script fails when it does not.
set -euo pipefail

binary=${1:-build/release/quillonex}
seconds=${2:-10}
shift $(($# < 2 ? $# : 2))
places=("$@")
[ ${#places[@]} -gt 0 ] || places=(title resume restart level)
if [ ! -x "$binary" ]; then
    echo "no game at $binary: build it first (make build)" >&2
    exit 2
fi
binary=$(realpath "$binary")
command -v script >/dev/null || { echo "needs script (util-linux)" >&2; exit 2; }

# CPU time of a process in nanoseconds: the scheduler's exact figure where the
# kernel has it, else user + system time in clock ticks.
cpu_ns() {
    if [ -r "/proc/$1/schedstat" ]; then
        cut -d' ' -f1 "/proc/$1/schedstat"
    else
        awk -v hz="$(getconf CLK_TCK)" '{ printf "%.0f\n", ($14 + $15) * 1e9 / hz }' "/proc/$1/stat"
    fi
}

# Waits up to 5 s for a text to appear in a file.
wait_for_text() {
    for _ in $(seq 100); do
        grep -qF -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

over=0
for place in "${places[@]}"; do
    # What lies in the folder, the keys that lead to the place, what the
    # screen then shows, and the keys that end the game from there.
    case "$place" in
    title) record="" before="" shows="Press 'enter'" after=$'\rq' ;;
    resume) record=879779970 before=$'\r' shows="Do you want to use your last saved data" after=nq ;;
    # The cell right of the player is a wall.
    restart) record=897777770 before=$'\ryd' shows="Do you wanna restart" after=n ;;
    level) record=879779970 before=$'\ry' shows="Level 1" after=q ;;
    *) echo "unknown place $place: title, resume, restart or level" >&2; exit 2 ;;
    esac

    # The game runs in a folder of its own, so nothing it writes lands here.
    workdir=$(mktemp -d)
    [ -z "$record" ] || printf '%s' "$record" >"$workdir/record.quillonex"

    # script gives the game a terminal and copies all it shows into a file.
    # Its input carries the keys: the first ones once the title is up (the
    # game drops what is typed before it takes the terminal), the last ones
    # once the measurement is over.
    {
        wait_for_text "$workdir/screen" "Press 'enter'" || true
        printf '%s' "$before"
        until [ -e "$workdir/measured" ]; do sleep 0.1; done
        printf '%s' "$after"
        # Keep the terminal open until the game has said goodbye and ended.
        while kill -0 "$(cat "$workdir/game")" 2>/dev/null; do sleep 0.1; done
    } | (cd "$workdir" && exec script -qfec "exec '$binary'" "$workdir/screen" >/dev/null) &
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

    echo "$game" >"$workdir/game"

    # Let it reach its wait before the clock starts.
    if ! wait_for_text "$workdir/screen" "$shows"; then
        echo "$place: the screen never showed \"$shows\"" >&2
        touch "$workdir/measured"
        exit 1
    fi
    sleep 1
    before_ns=$(cpu_ns "$game")
    start=$(date +%s%N)
    sleep "$seconds"
    after_ns=$(cpu_ns "$game")
    end=$(date +%s%N)
    touch "$workdir/measured"

    status=0
    wait "$runner" || status=$?
    rm -rf "$workdir"

    share=$(awk -v cpu=$((after_ns - before_ns)) -v wall=$((end - start)) 'BEGIN {
        printf "%.2f", 100 * cpu / wall
    }')
    awk -v place="$place" -v share="$share" -v cpu=$((after_ns - before_ns)) -v wall=$((end - start)) 'BEGIN {
        printf "idle at %-8s %5s%% of one core (%.1f ms of CPU in %.1f s)\n", place ":", share, cpu / 1e6, wall / 1e9
    }'
    if [ "$status" -ne 0 ]; then
        echo "$place: the game ended with status $status" >&2
        exit 1
    fi
    awk -v share="$share" 'BEGIN { exit !(share >= 2) }' && over=1
done
exit "$over"
