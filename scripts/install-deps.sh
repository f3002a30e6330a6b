#!/usr/bin/env bash
# Installs what building, running and testing Quorvel needs on Debian 12 (run as root), and the
# packages named as arguments (the clang builds name theirs). With --list it only prints the
# packages it would install, one a line (scripts/check-link-deps.sh reads them).
set -euo pipefail
packages=(cmake g++ make pkgconf qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libxlsxwriter-dev fonts-wqy-microhei
          qt6-translations-l10n xvfb xauth unzip)
# libxlsxwriter's pkg-config file links zlib, but its -dev package does not depend on zlib's.
packages+=(zlib1g-dev)
# Qt Charts draws the backtest window's chart (its CMake package needs the OpenGL one).
packages+=(qt6-charts-dev libqt6opengl6-dev)
# Building and checking the Debian package.
packages+=(dpkg-dev file lintian desktop-file-utils appstream)
if [ "${1:-}" = --list ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
