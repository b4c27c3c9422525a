#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes docs/screenshot.png again: the demo (simulator and a demo TS.mdb in a
# temporary folder) under a virtual X server, the first server picked once
# the start-up refresh has counted every server.
#   bash scripts/screenshot.sh [QUERYPORT]   (default 51300; it also uses the next two ports)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${DISPLAY:-}" ] || [ "${1:-}" != "--inside" ]; then
    "$here/scripts/deps.sh" xvfb xauth xdotool x11-apps netpbm
    exec xvfb-run -a -s "-screen 0 800x640x24" bash "$0" --inside "${1:-51300}"
fi
port="$2"
build="${QUARNEL_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quarnel quarnel-initdb quarnel-querysim >/dev/null
demo="$(mktemp -d)"
pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    rm -rf "$demo"
}
trap cleanup EXIT
cp "$build/quarnel" "$demo/quarnel"
"$build/quarnel-initdb" --demo "$port" "$demo/TS.mdb" >/dev/null
"$build/quarnel-querysim" --demo --port "$port" &
pids+=($!)
"$demo/quarnel" &
pids+=($!)
window="$(xdotool search --sync --name '^Quarnel$' | head -n 1)"
sleep 8 # the refresh starts after 2 s; the silent server takes its whole timeout
# The first server row: below the heading row, in the name column.
xdotool mousemove --window "$window" 60 26 click 1
sleep 2
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng > "$here/docs/screenshot.png"
echo "wrote docs/screenshot.png"
