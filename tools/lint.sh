#!/bin/sh
# Static analysis of every source of the project: clang-tidy with the checks of
# .clang-tidy, then cppcheck. Both must find nothing; the exit status says so.
#
# The compile commands come from folders that are configured but never built:
# - build/lint: Debug, by Clang (the compiler clang-tidy understands best), with
#   the benchmarks and the fuzz targets switched on, so that the game, the
#   platform layer, the tests, the benchmarks and the fuzz targets are all seen
#   with the flags they are built with;
# - build/lint-windows: the cross build of `make windows`, for the Windows
#   platform layer and its tests, which clang-tidy reads as Clang would compile
#   them for mingw-w64, with the cross compiler's own C++ library;
# - build/lint-wine: the programs that drive quillonex.exe under wine.
set -e
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
build=build/lint
windows=build/lint-windows
wine=build/lint-wine

configure() {
    folder=$1
    shift
    mkdir -p "$folder"
    cmake "$@" -B "$folder" -DCMAKE_BUILD_TYPE=Debug >"$folder/configure.log" 2>&1 ||
        { cat "$folder/configure.log"; exit 1; }
}
configure "$build" -S . -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_TESTING=ON -DQUILLONEX_BENCH=ON -DQUILLONEX_FUZZ=ON -DQUILLONEX_WERROR=ON
configure "$windows" -S . -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DBUILD_TESTING=ON -DQUILLONEX_WERROR=ON
configure "$wine" -S tests/wine -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

# Clang finds mingw-w64's C headers by itself, but not the C++ library of
# Debian's cross compiler: those folders are taken from the compiler.
cross=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$windows/CMakeCache.txt")
set -- --target=x86_64-w64-mingw32 --sysroot=/usr/x86_64-w64-mingw32
for folder in $("$cross" -x c++ -E -v /dev/null 2>&1 | sed -n '/^#include <...> search starts here:$/,/^End of search list\.$/p' |
    grep '/include/c++'); do
    set -- "$@" "-stdlib++-isystem$folder"
done
windows_args=""
for arg in "$@"; do
    windows_args="$windows_args -extra-arg=$arg"
done

# One layout for every C++ file the project tracks, tests and benchmarks too:
# the .clang-format at the root, checked before the slower analysers run.
echo "== clang-format"
unformatted=$(git ls-files '*.cpp' '*.hpp' '*.h' '*.cc' | while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "$file"; done)
[ -z "$unformatted" ] || { echo "not formatted as .clang-format says (clang-format -i FILE):"; echo "$unformatted"; exit 1; }
echo "clang-format: every file formatted"

echo "== clang-tidy"
tidy=0
{
    run-clang-tidy -quiet -p "$build" -j "$jobs" || tidy=1
    # shellcheck disable=SC2086 # one word per argument
    run-clang-tidy -quiet -p "$windows" -j "$jobs" $windows_args '/(platform|tests)/windows/' || tidy=1
    run-clang-tidy -quiet -p "$wine" -j "$jobs" '/tests/wine/' || tidy=1
} >"$build/clang-tidy.log" 2>&1
# The findings only: no colours, no command lines, no counts of what the
# header filter left out.
sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" |
    grep -v -E '^clang-tidy|^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true
[ $tidy -eq 0 ] && echo "clang-tidy: no findings"

echo "== cppcheck"
cppcheck=0
options="--enable=warning,performance,portability --std=c++20 --inline-suppr --error-exitcode=1 --quiet -j $jobs"
# shellcheck disable=SC2086 # one word per option
{
    cppcheck --project="$build/compile_commands.json" --library=googletest --library=posix $options || cppcheck=1
    cppcheck --project="$windows/compile_commands.json" --file-filter='platform/windows/*' \
        --file-filter='tests/windows/*' --library=googletest --library=windows --platform=win64 $options || cppcheck=1
    cppcheck --project="$wine/compile_commands.json" --file-filter='tests/wine/*' \
        --library=googletest --library=posix $options || cppcheck=1
}
[ $cppcheck -eq 0 ] && echo "cppcheck: no findings"
[ $tidy -eq 0 ] && [ $cppcheck -eq 0 ]
