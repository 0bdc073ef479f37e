#!/bin/sh
# Builds the program and starts it (on its embedded default database unless
# engine.ini or KVZT_ALIAS_* say otherwise).
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVZT_BUILD_TESTS=OFF -DKVZT_BUILD_BENCH=OFF
cmake --build build
exec build/src/kvzt "$@"
