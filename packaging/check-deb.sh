#!/usr/bin/env bash
# Checks a built quilmo .deb: its control fields, the dependencies found by
# dpkg-shlibdeps and named by us, and the files it installs. Lists everything
# missing and fails when anything is.
set -euo pipefail
deb=${1:?usage: check-deb.sh quilmo_VERSION_ARCH.deb}
# Lists the Japanese file names as they are, not as octal escapes.
export LC_ALL=C.UTF-8

info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
depends=$(dpkg-deb --field "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
missing=()

[ "$(dpkg-deb --field "$deb" Package)" = quilmo ] || missing+=("Package: quilmo")
grep -q '^ Version: [0-9]' <<<"$info" || missing+=("Version")
grep -q '^ Maintainer: .' <<<"$info" || missing+=("Maintainer")

# Found in the links of the program and its Jet reader (libmdb) by
# dpkg-shlibdeps, and what the program only
# loads at run time (platform and image plugins, translations, fonts, icons).
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0 \
  libglib2.0-0 libwmf-0.2-7 libwmflite-0.2-7 libmdb3 \
  qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6 qt6-translations-l10n \
  fonts-ipafont-gothic fonts-urw-base35 adwaita-icon-theme shared-mime-info; do
  grep -qx "$package" <<<"$depends" || missing+=("Depends: $package")
done

for file in ./usr/bin/quilmo ./usr/libexec/quilmo/quilmo-jet-reader \
  ./usr/share/quilmo/help/help.html ./usr/share/quilmo/banner.png \
  ./usr/share/quilmo/手書きメモ/quilmo.ole \
  ./usr/share/quilmo/icons/quilmo-16.png ./usr/share/quilmo/icons/quilmo-32.png \
  ./usr/share/applications/org.example.quilmo.desktop \
  ./usr/share/metainfo/org.example.quilmo.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/org.example.quilmo.svg \
  ./usr/share/icons/hicolor/16x16/apps/org.example.quilmo.png \
  ./usr/share/icons/hicolor/32x32/apps/org.example.quilmo.png; do
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
