#!/usr/bin/env bash
# Kills quorvel-cli with SIGKILL TRIALS times (default 200) at random moments of each writing
# operation (history import, online update and deletion, formula import, online update, deletion
# and clear, the formula-table rebuild, the compaction, the search store (append and replace), the
# verification write-back, the restore of a kept state (`backup restore ID`)) and checks
# after each kill that formula.db is there, opens, passes PRAGMA integrity_check and holds the
# rows from before the operation or from after it, never a part (tests/crash). Prints one line per
# operation and exits with 1 when any trial failed; failed trials keep their folder under
# build/crash-run/trials/.
set -euo pipefail
cd "$(dirname "$0")/.."
trials=${1:-200}
scripts/install-deps.sh
# The build folder of scripts/build.sh, configured as it is (the test suite's, when it ran first).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target quorvel-cli quorvel-crash-test >build/crash-build.log 2>&1 || {
    cat build/crash-build.log
    exit 2
}
build/quorvel-crash-test "$trials" --work build/crash-run
