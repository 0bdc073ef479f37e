#!/bin/sh
# Builds everything and runs the whole test suite through CTest.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh test
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tests
cd build-tests
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
