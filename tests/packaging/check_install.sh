#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a scratch root under a prefix with a blank and a "$"
# in it, and checks what desktops read: the desktop entry (the program by its
# full path), the AppStream data, the icons, the man page and TS.mdb, which
# a second install must keep as it is.
set -euo pipefail
build="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
prefix='/opt/Quarnel $test'
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
home="$root$prefix"
desktop="$home/share/applications/quarnel.desktop"
desktop-file-validate "$desktop"
grep -qxF 'Exec="/opt/Quarnel \\$test/lib/quarnel/quarnel"' "$desktop"
appstreamcli validate --no-net "$home/share/metainfo/org.example.quarnel.metainfo.xml" >/dev/null
for size in 16 22 24 32 48 64 128 256; do
    file "$home/share/icons/hicolor/${size}x${size}/apps/quarnel.png" | grep -q "PNG image data, $size x $size"
done
test -s "$home/share/icons/hicolor/scalable/apps/quarnel.svg"
grep -q '^\.TH QUARNEL 1' "$home/share/man/man1/quarnel.1"
test -x "$home/lib/quarnel/quarnel" && test -x "$home/bin/quarnel"
test "$(stat -c %a "$home/lib/quarnel/TS.mdb")" = 600
echo "a file of the user's" > "$home/lib/quarnel/TS.mdb"
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
grep -qx "a file of the user's" "$home/lib/quarnel/TS.mdb"
# The installed program finds that file beside it and says on stderr, before its
# message box, why it cannot start.
QT_QPA_PLATFORM=offscreen "$home/bin/quarnel" 2>"$root/said" &
pid=$!
said='^Quarnel cannot start: Error 26: file is not a database'
for _ in $(seq 100); do grep -q "$said" "$root/said" && break; sleep 0.1; done
kill "$pid"
grep -q "$said" "$root/said"
echo "install checked"
