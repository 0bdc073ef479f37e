#!/bin/sh
# Installs the Debian 12 packages the build needs (with "package", what making
# the Debian package needs; with "test", the tests and the package check).
# Runs apt-get only for packages that are missing.
set -e
packages="cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgl-dev libxcb1-dev pkg-config fonts-dejavu-core"
if [ "$1" = "test" ] || [ "$1" = "package" ]; then
    packages="$packages dpkg-dev desktop-file-utils file"
fi
if [ "$1" = "test" ]; then
    packages="$packages libgtest-dev libgmock-dev libbenchmark-dev fpc fp-units-db libdbd-xbase-perl python3-dbf xvfb xauth x11-utils strace"
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
