#!/bin/sh
# Renders every step of every sample document in examples/ to PNG files
# under build/screenshots/, without a display.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${1:-$root/build/screenshots}
if [ ! -x "$build/src/vextal" ]; then
    cmake -S "$root" -B "$build"
    cmake --build "$build" -j1 --target vextal
fi
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/src/vextal" --screenshots "$out" "$root/examples"
echo "Screenshots written to $out"
