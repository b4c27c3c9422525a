#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the whole test suite once more under strace and fails if any test, or
# anything a test starts, connects or sends to an address off this machine, or
# asks a name server anywhere: tests talk to loopback (127.0.0.0/8, ::1) only.
#   bash scripts/offline-check.sh [BUILD]   (a built test folder; default build-test)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-test}"
"$here/scripts/deps.sh" strace
trace="$(mktemp -d)"
trap 'rm -rf "$trace"' EXIT
(cd "$build" && QT_QPA_PLATFORM=offscreen strace -f -qq -e trace=connect,sendto,sendmsg \
    -o "$trace/calls" ctest --output-on-failure --parallel "$(nproc)" >"$trace/ctest" 2>&1) ||
    { cat "$trace/ctest"; exit 1; }
# Every IPv4 and IPv6 peer the calls name, one per line, with its port.
grep -oE 'sin_port=htons\([0-9]+\), sin_addr=inet_addr\("[^"]*"\)|sin6_port=htons\([0-9]+\)[^}]*inet_pton\(AF_INET6, "[^"]*"' \
    "$trace/calls" | sed -E 's/.*htons\(([0-9]+)\).*"([^"]*)".*/\2 \1/' | sort -u >"$trace/peers" || true
outside="$(grep -vE '^(127\.[0-9.]+|::1|::ffff:127\.[0-9.]+) ' "$trace/peers" || true)"
lookups="$(grep -E ' 53$' "$trace/peers" || true)"
if [ -n "$outside$lookups" ]; then
    echo "the tests reached beyond loopback or asked a name server:"
    printf '%s\n' "$outside" "$lookups" | sort -u | sed '/^$/d'
    exit 1
fi
echo "offline check: $(wc -l <"$trace/peers") loopback peers, nothing beyond them"
