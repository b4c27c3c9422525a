#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Quarnel needs to build, run and test, from Debian's packages,
# only where it is missing. Safe to run again.
set -euo pipefail
# xdg-utils: links reach the desktop through xdg-mime and xdg-open.
packages=(cmake make g++ qt6-base-dev libqt6sql6-sqlite libqt6svg6 qt6-qpa-plugins libgl-dev xdg-utils
          "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
