#!/usr/bin/env bash
# Builds the Debian package build/quorvel_VERSION_amd64.deb (installing what building it needs),
# its dependencies worked out by dpkg-shlibdeps. Install it with: apt-get install ./build/quorvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The package installs under /usr, and the program knows it is installed there.
scripts/build.sh -DCMAKE_INSTALL_PREFIX=/usr
(cd build && cpack -G DEB >/dev/null)
ls build/quorvel_*_amd64.deb
