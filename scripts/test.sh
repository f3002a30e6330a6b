#!/usr/bin/env bash
# Sets up, builds with warnings as errors and runs the whole suite, then starts the program
# offscreen once as a smoke test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.sh
scripts/build.sh -DQUORVEL_WERROR=ON
ctest --test-dir build --output-on-failure -j2
smoke=$(mktemp -d)
QT_QPA_PLATFORM=offscreen build/quorvel --data-dir "$smoke" --quit-after-start
rm -rf "$smoke"
