#!/usr/bin/env bash
# Checks a built quilmo .deb: its control fields, its dependencies (every
# library the program links, what it cannot start without, what it only
# recommends) and the files it installs. Lists everything missing and fails
# when anything is.
set -euo pipefail
deb=${1:?usage: check-deb.sh quilmo_VERSION_ARCH.deb}
# Lists the Japanese file names as they are, not as octal escapes.
export LC_ALL=C.UTF-8

info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
# One line per dependency, alternatives kept together, versions left out.
relations() {
  dpkg-deb --field "$deb" "$1" | tr ',' '\n' | sed 's/([^)]*)//g; s/  */ /g; s/^ //; s/ $//'
}
depends=$(relations Depends)
recommends=$(relations Recommends)
missing=()

[ "$(dpkg-deb --field "$deb" Package)" = quilmo ] || missing+=("Package: quilmo")
grep -q '^ Version: [0-9]' <<<"$info" || missing+=("Version")
grep -q '^ Maintainer: .' <<<"$info" || missing+=("Maintainer")

# Each library the program and its Jet reader link comes from a package it
# depends on; libmdb is loaded by the reader alone, never by the program.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" ./usr/bin/quilmo ./usr/libexec/quilmo/quilmo-jet-reader
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }
if needed "$work/usr/bin/quilmo" | grep -q '^libmdb'; then
  missing+=("the program itself links libmdb")
fi
for library in $(needed "$work/usr/bin/quilmo"; needed "$work/usr/libexec/quilmo/quilmo-jet-reader"); do
  owner=$(dpkg -S "*/$multiarch/$library" 2>/dev/null | head -n1 | sed 's/[:,].*//') || true
  if [ -z "$owner" ]; then
    missing+=("the package of $library on this machine")
  elif ! grep -qx "$owner" <<<"$depends"; then
    missing+=("Depends: $owner")
  fi
done
# What the program cannot start without beyond its links: a platform plugin
# and a Japanese font, any of three. The rest is only recommended.
for relation in qt6-qpa-plugins \
  "fonts-ipafont-gothic | fonts-ipaexfont-gothic | fonts-noto-cjk"; do
  grep -qxF "$relation" <<<"$depends" || missing+=("Depends: $relation")
done
for package in qt6-translations-l10n adwaita-icon-theme fonts-urw-base35; do
  grep -qx "$package" <<<"$recommends" || missing+=("Recommends: $package")
  if grep -qx "$package" <<<"$depends"; then
    missing+=("$package only recommended, not in Depends")
  fi
done

files=(./usr/bin/quilmo ./usr/libexec/quilmo/quilmo-jet-reader
  ./usr/share/quilmo/help/help.html ./usr/share/quilmo/banner.png
  ./usr/share/quilmo/手書きメモ/quilmo.ole
  ./usr/share/quilmo/icons/quilmo-16.png ./usr/share/quilmo/icons/quilmo-32.png
  ./usr/share/applications/org.example.quilmo.desktop
  ./usr/share/metainfo/org.example.quilmo.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/org.example.quilmo.svg
  ./usr/share/man/man1/quilmo.1.gz ./usr/share/man/ja/man1/quilmo.1.gz
  ./usr/share/doc/quilmo/copyright ./usr/share/doc/quilmo/changelog.Debian.gz)
for size in 16 24 32 48 64 128 256; do
  files+=("./usr/share/icons/hicolor/${size}x${size}/apps/org.example.quilmo.png")
done
for file in "${files[@]}"; do
  grep -qxF "$file" <<<"$contents" || missing+=("file $file")
done
# The catalogue is each user's own; a package must never carry one.
if grep -q 'QUILMO\.mdb' <<<"$contents"; then
  missing+=("no QUILMO.mdb in the package")
fi

if ((${#missing[@]})); then
  printf '%s: missing %s\n' "$deb" "${missing[@]}" >&2
  exit 1
fi
echo "$deb: package fields, dependencies and files are complete"
