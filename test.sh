#!/usr/bin/env bash
# Builds QUILMO with warnings as errors and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILMO_WERROR=ON \
  "${QUILMO_CMAKE_CACHE[@]}"
cmake --build build-test
export QT_QPA_PLATFORM=offscreen
# The store's tests run on both engines: a throwaway PostgreSQL cluster of
# their own, stopped and removed on the way out, also when a test fails.
if [ -z "${QUILMO_TEST_PG:-}" ]; then
  pg_folder=$(mktemp -d /tmp/quilmo-pg.XXXXXX)
  trap 'scripts/pg-cluster.sh stop "$pg_folder"' EXIT
  QUILMO_TEST_PG=$(scripts/pg-cluster.sh start "$pg_folder")
  export QUILMO_TEST_PG
fi
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
