#!/usr/bin/env bash
# Builds QUILMO and starts it. The build folder is the program folder: the
# catalogue file QUILMO.mdb is created there on the first start.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
exec ./build/quilmo "$@"
