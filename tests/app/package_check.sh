#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks it; then takes a file
# and a dependency out of it and makes sure the check notices both.
set -euo pipefail
build=$1 source=$2 work=$3
export LC_ALL=C.UTF-8
rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/quilmo_*.deb)
"$source/packaging/check-deb.sh" "${debs[0]}"

dpkg-deb -R "${debs[0]}" "$work/tree"
rm "$work/tree/usr/share/quilmo/help/help.html"
sed -i 's/libwmf-0\.2-7[^,]*, //; s/, libwmf-0\.2-7[^,]*//' "$work/tree/DEBIAN/control"
dpkg-deb -b "$work/tree" "$work/broken.deb" >/dev/null
if "$source/packaging/check-deb.sh" "$work/broken.deb" 2>"$work/broken.txt"; then
  echo "the check passed a package without its help page and libwmf"; exit 1
fi
grep -q 'file ./usr/share/quilmo/help/help.html' "$work/broken.txt"
grep -q 'Depends: libwmf-0.2-7' "$work/broken.txt"
echo "a package with a file and a dependency missing is refused"
