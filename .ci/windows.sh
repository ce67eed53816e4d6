#!/usr/bin/env bash
# Windows stage of CI: cross-builds the tool, the simulated service and the tests with
# MinGW-w64 and runs the tests under Wine, the simulated service on loopback as on Linux.
# Installs what a fresh machine lacks; needs no display and no standard input.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v make >/dev/null 2>&1 || missing+=(make)
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
[ -x "$wine" ] || missing+=(wine64)
if [ "${#missing[@]}" -gt 0 ]; then
    apt_install "${missing[@]}"
fi

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

# Wine without a display, without debug output (it would land in the standard error the
# end-to-end tests compare) and without offering to install .NET or a browser engine.
# The prefix is the one the mingw preset names, so that ctest finds it ready.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$PWD/build/mingw/wine-prefix"

cmake --preset mingw
cmake --build --preset mingw

# One server for every test program rather than one per program, stopped at the end. The
# first start fills the prefix (about a minute); done here, not in a test.
start=$(date +%s)
mkdir -p "$WINEPREFIX"
"$wineserver" -p </dev/null
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wine" wineboot -i </dev/null
echo "Wine prefix ready in $(($(date +%s) - start)) s"

ctest --preset mingw -j2 </dev/null
