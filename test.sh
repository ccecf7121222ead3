#!/usr/bin/env bash
# Builds QUILMO with warnings as errors and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILMO_WERROR=ON \
  "${QUILMO_CMAKE_CACHE[@]}"
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
