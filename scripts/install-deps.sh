#!/usr/bin/env bash
# Installs what building, running and testing Quorvel needs on Debian 12 (run as root), and the
# packages named as arguments (the clang builds name theirs).
set -euo pipefail
packages=(cmake g++ make pkgconf qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libxlsxwriter-dev fonts-wqy-microhei
          qt6-translations-l10n xvfb xauth unzip)
# Qt Charts draws the backtest window's chart (its CMake package needs the OpenGL one).
packages+=(qt6-charts-dev libqt6opengl6-dev)
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
