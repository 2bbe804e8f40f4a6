#!/bin/bash
# Plants each fault of tools/mutants.tsv in the game, one at a time, and tells
# whether the unit tests (posix_tests for the key decoder) catch it.
#   tools/mutate.sh [BUILD_DIR] [ID...]
# Needs a configured BUILD_DIR (default build/mutants); puts every file back.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/mutants}")
shift || true
cd "$root"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
caught=0 missed=0 broken=0
while IFS=$'\t' read -r id file expr fault; do
    case "$id" in ''|'#'*) continue ;; esac
    [ $# -gt 0 ] && [[ " $* " != *" $id "* ]] && continue
    # Only the maze's own faults need the maze tests, which take most of the time.
    target=unit_tests filter=-Maze.*
    [[ $file == maze/* ]] && filter=Maze.*
    [[ $file == platform/posix/* ]] && target=posix_tests filter=*
    cp "$file" "$file.orig"
    sed -i -e "$expr" "$file"
    if cmp -s "$file" "$file.orig"; then
        result=NOT-APPLIED; broken=$((broken + 1))
    elif ! cmake --build "$build" -j2 --target $target >"$build/mutant.log" 2>&1; then
        result=NOT-BUILT; broken=$((broken + 1))
    elif (cd "$build/tests" && timeout 300 ./$target --gtest_brief=1 --gtest_filter="$filter" >"$build/mutant-$id.log" 2>&1); then
        result=MISSED; missed=$((missed + 1))
    else
        result="caught by $(grep -m3 '^\[  FAILED  \] [A-Za-z]' "$build/mutant-$id.log" | sed 's/.*\] //;s/, where.*//;s/ (.*//' | tr '\n' ' ')"
        caught=$((caught + 1))
    fi
    mv "$file.orig" "$file"
    touch "$file"
    printf '%-22s %s\n' "$id" "$result"
done < tools/mutants.tsv
echo "caught $caught of $((caught + missed)) ($broken not applied or not built)"
