#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Quarnel with its tests and runs them all.
# --sanitize builds and runs them (the short soak too) once more under
# AddressSanitizer and UBSan. Warnings are errors in both builds.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests also check the install with the desktop's own validators.
"$here/scripts/deps.sh" desktop-file-utils appstream file
jobs="$(nproc)"
run() {
    local build="$1"
    shift
    cmake -S "$here" -B "$build" "$@" >/dev/null
    cmake --build "$build" --parallel "$jobs"
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs")
}
if [ "${1:-}" = "--sanitize" ]; then
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run "$here/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARNEL_SANITIZE=ON -DQUARNEL_WERROR=ON
else
    run "$here/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARNEL_WERROR=ON
fi
