#!/usr/bin/env bash
# Runs every test: the normal build (program, core and GUI tests) in build/,
# then the sanitizer build of everything in build-asan/. Exits non-zero if
# anything fails to build or any test fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

if [[ "${CI:-}" == "true" || ( -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ) ]]; then
    export QT_QPA_PLATFORM=offscreen
fi
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

echo "=== Release build and tests (build/) ==="
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVEXTAL_BUILD_GUI=ON
cmake --build "$root/build" -j "$(nproc)"
(cd "$root/build" && ctest --output-on-failure)

echo "=== Sanitizer build and tests (build-asan/) ==="
"$root/scripts/asan.sh"

echo "All tests passed."
