#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes the reading of server answers with libFuzzer for a bounded time.
#   bash scripts/fuzz.sh [SECONDS]   (default 30; CI runs the default, run longer by hand)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
build="$here/build-fuzz"
"$here/scripts/deps.sh" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUARNEL_FUZZ=ON \
    -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_answer
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp "$here"/tests/fuzz/corpus/* "$corpus/"
"$build/tests/fuzz/fuzz_answer" "$corpus" -max_total_time="$seconds" -rss_limit_mb=1024 -max_len=65536 \
    -print_final_stats=1 2>&1 | tail -n 12
