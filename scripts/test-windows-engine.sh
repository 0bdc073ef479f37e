#!/bin/sh
# Cross-builds the table engine and its tests for 64-bit Windows with
# MinGW-w64 (GoogleTest compiled from Debian's googletest sources) and runs
# the tests under Wine, in a Wine prefix of their own inside build-windows/.
set -e
cd "$(dirname "$0")/.."

packages="cmake ninja-build g++-mingw-w64-x86-64 googletest wine wine64"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S cross/windows -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cross/windows/mingw-w64-x86_64.cmake" $launcher
cmake --build build-windows

# A prefix of our own, made once, with the null display driver: the window
# search test makes a window, and no X display is needed for it. No messages
# from Wine itself.
export WINEPREFIX="$PWD/build-windows/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
fi
# Left out under Wine, each for its reason (a --gtest_filter given to this
# script replaces the list):
#   DescendingTag.VerifyAccepts...: runs kvzt-cli, which needs Qt and is not
#     built here.
left_out="DescendingTag.VerifyAcceptsASoundOneAndReportsAMisorderedOne"
status=0
wine build-windows/kvzt_engine_tests.exe "--gtest_filter=-$left_out" "$@" || status=$?
wineserver -w
exit $status
