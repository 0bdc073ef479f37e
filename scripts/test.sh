#!/bin/sh
# Builds everything and runs the whole test suite through CTest, then packs
# the tested build as a Debian package and checks the package.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh test
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tests
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2)
# The package of the tested build (scripts/package.sh makes the Release one):
# the same install rules, without a second build.
(cd build-tests && cpack -G DEB > cpack.log)
sh scripts/check-package.sh build-tests/kvzt_*_amd64.deb
