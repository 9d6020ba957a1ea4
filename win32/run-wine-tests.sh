#!/usr/bin/env bash
# Cross-builds the Qt-free Windows pieces with mingw-w64 and runs their tests under Wine, with no
# display: Wine's graphics driver is set to "null" in a prefix of its own under the build folder.
# Usage: run-wine-tests.sh <build folder>     (CTest calls it: see tests/link/CMakeLists.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-wine-tests.sh <build folder>}
mkdir -p "$build"
build=$(cd "$build" && pwd)

for tool in x86_64-w64-mingw32-g++-posix wine wineserver cmake ninja; do
    if ! command -v "$tool" >/dev/null; then
        echo "error: $tool is missing; 'make deps' installs it (scripts/packages/link.txt)" >&2
        exit 1
    fi
done

started=$SECONDS
# -O1: these are tests; GoogleTest alone takes twice as long to build at -O2.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS=-O1 \
    -DCMAKE_CXX_FLAGS=-O1 -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j "${WINE_TEST_JOBS:-2}"
echo "wine tests: built in $((SECONDS - started)) s"

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
# -all: quiet, and no hint about the 32-bit half, which these 64-bit programs do not need.
export WINEDEBUG=-all
# No Mono or Gecko installer dialog while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT

started=$SECONDS
if ! grep -qs '"Graphics"="null"' "$WINEPREFIX/user.reg"; then
    # The first command makes the prefix. Windows can be made only once the desktop process starts
    # with the null driver, so the server that made the prefix ends before the tests begin.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
fi
echo "wine tests: prefix ready in $((SECONDS - started)) s"

started=$SECONDS
status=0
GTEST_COLOR=no wine "$build/test_win32_platform.exe" || status=$?
# Every Wine process of the prefix (a simulator left behind included) must end before CTest goes on.
timeout 60 wineserver -w || status=1
trap - EXIT
echo "wine tests: ran in $((SECONDS - started)) s"
exit $status
