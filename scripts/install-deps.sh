#!/usr/bin/env bash
# Installs the Debian packages QUILMO needs to build, run and test, when any
# of them is missing. Sourced by run.sh and test.sh.
set -euo pipefail

QUILMO_PACKAGES=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-image-formats-plugins libqt6svg6 libgl-dev
  # Qt's own buttons and dialogs in Japanese (qtbase_ja.qm).
  qt6-translations-l10n
  # The tests read window titles as Qt hands them to the window manager.
  qt6-base-private-dev
  libsqlite3-dev sqlite3 libicu-dev
  # A catalogue shared by several PCs lives on a PostgreSQL server; the tests
  # run the store on a throwaway cluster of their own.
  libpq-dev postgresql
  libglib2.0-dev libwmf-dev shared-mime-info
  libgtest-dev libbenchmark-dev
  # libmdb reads the Jet catalogues of the old Windows program.
  mdbtools-dev
  # The tests validate the desktop entry and the metainfo; cpack -G DEB reads
  # the linked libraries' packages with dpkg-shlibdeps.
  desktop-file-utils appstream dpkg-dev
  # CI checks the Debian package as Debian does.
  lintian
  # The fuzz targets are built with clang; libFuzzer and the sanitizers'
  # runtimes are only recommended by it.
  clang libclang-rt-dev
  # CI checks that the sources are laid out as .clang-format says.
  clang-format
  fonts-ipafont-gothic adwaita-icon-theme
  # libwmf needs the standard PostScript fonts even to draw a metafile without text.
  fonts-urw-base35
)

missing=()
for package in "${QUILMO_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Builds go through the compiler cache, with paths taken relative to the
# repository, so a second build of the same sources (another clone, the
# sanitizer build) compiles only what changed.
export CCACHE_BASEDIR="$PWD"
QUILMO_CMAKE_CACHE=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
