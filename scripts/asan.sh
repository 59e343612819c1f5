#!/usr/bin/env bash
# Builds the core library and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs them.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-asan"

export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVEXTAL_SANITIZE=ON -DVEXTAL_BUILD_GUI=OFF
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure
