#!/bin/sh
# Builds the program in Release into build-package/ and makes the Debian
# package build-package/kvzt_<version>_amd64.deb, its dependencies computed
# from the binaries. The desktop entry is validated first.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh package
desktop-file-validate packaging/kvzt.desktop
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVZT_BUILD_TESTS=OFF -DKVZT_BUILD_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr $launcher
cmake --build build-package --target kvzt kvzt-cli kvzt_refbooks kvzt_imp_books
(cd build-package && cpack -G DEB)
ls build-package/kvzt_*_amd64.deb
