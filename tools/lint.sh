#!/bin/sh
# Static analysis of every source of the project: clang-tidy with the checks of
# .clang-tidy, then cppcheck. Both must find nothing; the exit status says so.
#
# The compile commands come from build/lint, a folder that is configured but
# never built: Debug, by Clang (the compiler clang-tidy understands best), with
# the benchmarks and the fuzz targets switched on, so that the game, the
# platform layer, the tests, the benchmarks and the fuzz targets are all seen
# with the flags they are built with.
set -e
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
build=build/lint

mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_TESTING=ON -DQUILLONEX_BENCH=ON -DQUILLONEX_FUZZ=ON -DQUILLONEX_WERROR=ON >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }

echo "== clang-tidy"
tidy=0
run-clang-tidy -quiet -p "$build" -j "$jobs" >"$build/clang-tidy.log" 2>&1 || tidy=1
# The findings only: no colours, no command lines, no counts of what the
# header filter left out.
sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" |
    grep -v -E '^clang-tidy|^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true
[ $tidy -eq 0 ] && echo "clang-tidy: no findings"

echo "== cppcheck"
cppcheck=0
cppcheck --project="$build/compile_commands.json" --library=googletest --library=posix \
    --enable=warning,performance,portability --std=c++20 --inline-suppr \
    --error-exitcode=1 --quiet -j "$jobs" || cppcheck=1
[ $cppcheck -eq 0 ] && echo "cppcheck: no findings"
[ $tidy -eq 0 ] && [ $cppcheck -eq 0 ]
