#!/bin/sh
# Makes sure the Debian packages that a make command needs are installed.
# As root it installs what is missing; otherwise it names the line to run.
set -e

# --list: only name the packages, installed or not.
list=false
if [ "$1" = --list ]; then
    list=true
    shift
fi

case "$1" in
# SDL2's development files for its headers only: the game opens the library
# at run time, where there is one.
play) packages="cmake make g++ libsdl2-dev libncurses-dev" ;;
test) packages="cmake make g++ clang libclang-rt-dev pkg-config libsdl2-dev libncurses-dev libgtest-dev libgmock-dev libvterm-dev" ;;
bench) packages="cmake make g++ pkg-config libsdl2-dev libncurses-dev libbenchmark-dev libvterm-dev procps" ;;
fuzz) packages="cmake make clang libclang-rt-dev libsdl2-dev libncurses-dev" ;;
# The lint configures (never builds) every target, benchmarks included, with
# Clang, and the Windows build, whose headers and GoogleTest sources it reads.
lint) packages="cmake make clang clang-tidy clang-format cppcheck pkg-config libsdl2-dev libncurses-dev libgtest-dev libgmock-dev libbenchmark-dev libvterm-dev g++-mingw-w64-x86-64 googletest" ;;
# mingw-w64 builds quillonex.exe and its tests; googletest brings the sources
# they are built from; wine runs them; g++, libgtest-dev and libvterm-dev build
# the host programs that drive quillonex.exe under wine and read its screen.
windows) packages="cmake make g++-mingw-w64-x86-64 googletest wine wine64 g++ pkg-config libgtest-dev libvterm-dev" ;;
# The release build, and dpkg-dev (dpkg-shlibdeps) and file, with which CPack
# finds the libraries the game needs.
package) packages="$("$0" --list play) dpkg-dev file" ;;
lintian) packages="lintian" ;;
# libclang's Python bindings find where the faults of the mutation run go;
# Ninja and lld rebuild the test programs after each fault in seconds.
mutants) packages="python3-clang ninja-build lld" ;;
# groff's man macros and tbl, for the check of the manual page.
manual) packages="groff-base" ;;
*) echo "usage: $0 [--list] play|test|lint|bench|fuzz|mutants|windows|package|lintian|manual" >&2; exit 2 ;;
esac
if $list; then
    echo "$packages"
    exit 0
fi

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Some packages are missing. Install them with:" >&2
    echo "    sudo apt-get update && sudo apt-get install -y$missing" >&2
    exit 1
fi

echo "Installing$missing"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may not have package lists yet.
apt-get install -y -q $missing || { apt-get update -q && apt-get install -y -q $missing; }
