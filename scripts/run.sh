#!/usr/bin/env bash
# Builds Vextal (Release, in build/) and starts it. Arguments go to the program.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVEXTAL_BUILD_GUI=ON
cmake --build "$root/build" -j "$(nproc)" --target vextal

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found; starting Vextal on a virtual X server (xvfb-run)." >&2
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$root/build/src/vextal" "$@"
fi
exec "$root/build/src/vextal" "$@"
