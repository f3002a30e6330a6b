#!/usr/bin/env bash
# Sets up, builds with warnings as errors and runs the whole suite, then starts the program
# offscreen once as a smoke test, then runs the short forms of the crash test, the fuzzing and the
# sanitizer builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.sh
scripts/build.sh -DQUORVEL_WERROR=ON
scripts/check-link-deps.sh
ctest --test-dir build --output-on-failure -j2
smoke=$(mktemp -d)
QT_QPA_PLATFORM=offscreen build/quorvel --data-dir "$smoke" --quit-after-start
rm -rf "$smoke"
scripts/package.sh
scripts/check-package.sh

# The reliability checks in their short forms: 10 kills during every writing operation, each fuzz
# target for 20 s, and the suite under the address, undefined-behaviour and thread sanitizers.
# Each runs even when one before it failed; the script exits with 1 when any of them failed.
status=0
scripts/crash-test.sh 10 || status=1
scripts/fuzz.sh 20 || status=1
scripts/sanitize.sh || status=1
exit $status
