#!/bin/sh
# Builds the exact P value benchmarks in Release and runs them.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BENCH_BUILD_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEXTAL_BUILD_GUI=OFF -DVEXTAL_BUILD_BENCH=ON -DBUILD_TESTING=OFF
cmake --build "$build" --target vextal_exact_bench -j "${BENCH_JOBS:-1}"
"$build/bench/vextal_exact_bench" "$@"
