#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the sources the way CI does: every C++ file formatted by .clang-format,
# and the program's code, tests and benchmarks clean under the checks in .clang-tidy.
#   bash scripts/lint.sh [BUILD]   (a build folder to configure or reuse; default build-test)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-test}"
"$here/scripts/deps.sh" clang-format clang-tidy
cd "$here"
mapfile -t sources < <(find app store query launch tools tests bench -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror "${sources[@]}"
echo "formatting checked: ${#sources[@]} files"
[ -f "$build/compile_commands.json" ] || cmake -S "$here" -B "$build" >/dev/null
# Our own sources, tests and benchmarks included; moc's output lives in the
# build folder and is not ours. The fuzz target is built by clang alone.
find app store query launch tools tests bench -name '*.cpp' -not -path 'tests/fuzz/*' -print0 |
    xargs -0 -P "$(nproc)" -n 2 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
        >"$build/clang-tidy.log" 2>&1 || { grep -E 'warning:|error:' "$build/clang-tidy.log"; exit 1; }
echo "clang-tidy: clean"
