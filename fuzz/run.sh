#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each in turn from its seed
# corpus in fuzz/corpus/<target>. New inputs go to build-fuzz/corpus/<target>,
# crashing ones to build-fuzz/artifacts/.
#   fuzz/run.sh [seconds per target (default 600)] [target...]
# Targets: jet_pattern picture paths drive_conversion jet_frames jet_child
# (default: all). jet_child takes the Jet samples and the damaged Jet files
# of ../shared/fixtures as its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(jet_pattern picture paths drive_conversion jet_frames jet_child)
fi

build=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILMO_FUZZ=ON -DQUILMO_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target quilmo_fuzzers

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  seeds=("fuzz/corpus/$target")
  if [ "$target" = jet_child ]; then
    for fixtures in ../shared/fixtures/jet ../shared/fixtures/jet-hostile; do
      [ -d "$fixtures" ] && seeds+=("$fixtures")
    done
  fi
  echo "== fuzz_$target for ${seconds}s"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "${seeds[@]}"
done
