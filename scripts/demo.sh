#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tries Quarnel without a real voice server: starts the query-port simulator
# with a few servers and players and opens the program on a demo copy of
# TS.mdb in a temporary folder. Your own TS.mdb is never touched.
#   bash scripts/demo.sh [QUERYPORT]   (default 51300; it also uses the next two ports)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUARNEL_BUILD_DIR:-$here/build}"
port="${1:-51300}"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quarnel quarnel-initdb quarnel-querysim
demo="$(mktemp -d)"
sim=""
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    rm -rf "$demo"
}
trap cleanup EXIT
cp "$build/quarnel" "$demo/quarnel"
"$build/quarnel-initdb" --demo "$port" "$demo/TS.mdb"
"$build/quarnel-querysim" --demo --port "$port" &
sim=$!
sleep 0.5
kill -0 "$sim" || { echo "the simulator could not start on port $port; try: bash scripts/demo.sh OTHERPORT" >&2; exit 1; }
"$demo/quarnel"
