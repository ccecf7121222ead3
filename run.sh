#!/usr/bin/env bash
# Builds the program alone (no tests, no benchmarks) and starts it. The
# catalogue lives in the user's data folder (~/.local/share/QUILMO), or beside
# the program when build/ already holds a QUILMO.mdb; arguments are passed on,
# e.g. ./run.sh --data-folder DIR.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILMO_TESTS=OFF -DQUILMO_BENCH=OFF
cmake --build build --target quilmo
exec ./build/quilmo "$@"
