#!/usr/bin/env bash
# Builds the Debian package into a build folder (build-deb unless told):
# a release build with Debian's hardening flags (fortify, stack protector,
# full RELRO, bind now), dated by the changelog so that two builds of the
# same sources give the same package.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
source scripts/install-deps.sh

SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
export SOURCE_DATE_EPOCH
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS; the preprocessor's share (_FORTIFY_SOURCE) goes
# with the compiler's flags.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILMO_WERROR=ON \
  -DCMAKE_INSTALL_PREFIX=/usr -DQUILMO_TESTS=OFF -DQUILMO_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
  "${QUILMO_CMAKE_CACHE[@]}"
cmake --build "$build"
rm -f "$build"/quilmo_*.deb
(cd "$build" && cpack -G DEB)
