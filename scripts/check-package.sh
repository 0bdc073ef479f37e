#!/bin/sh
# Checks a Debian package of the program (the one given, else the one
# scripts/package.sh made in build-package/): unpacks it into a
# temporary root, runs the unpacked kvzt-cli check on empty alias folders
# (it must create every table and fill the reference books from the unpacked
# share/kvzt), and validates the unpacked desktop entry.
set -e
cd "$(dirname "$0")/.."
deb=${1:-$(ls build-package/kvzt_*_amd64.deb | tail -n 1)}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/pkg"
dpkg-deb -f "$deb" Depends | grep -q libqt6core6
mkdir -p "$root/base" "$root/sprav" "$root/home"
HOME="$root/home" "$root/pkg/usr/bin/kvzt-cli" check --alias "VX_B=$root/base" --alias "VX_S=$root/sprav" \
    > "$root/check.out" 2> "$root/check.err"
grep -q "Заполнено справочников: 7" "$root/check.out"
grep -q "Проверка целостности данных завершена" "$root/check.out"
test -f "$root/base/SPISOK32.DBF" && test -f "$root/sprav/KLDOC30.MDX"
desktop-file-validate "$root/pkg/usr/share/applications/kvzt.desktop"
test -f "$root/pkg/usr/share/icons/hicolor/scalable/apps/kvzt.svg"
echo "package check: $(basename "$deb") passed"
