#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Quarnel and starts it, with an empty TS.mdb
# beside the program if there is none; an existing one is kept.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUARNEL_BUILD_DIR:-$here/build}"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quarnel
# Also when the file went after the last build; an existing one is never touched.
"$build/quarnel-initdb" "$build/TS.mdb"
exec "$build/quarnel"
