#!/usr/bin/env bash
# Runs the whole test suite once more built with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, build-asan/, the build the fuzz targets share), then the tests of the search, the
# tuning and the long-work runner, which run on worker threads, built with ThreadSanitizer (build-tsan/, only those test
# targets). A sanitizer report ends the test that made it, so it fails the run; the script exits
# with 1 when a test failed. Suppressions live in tests/sanitizers/, each with why it is safe.
set -euo pipefail
cd "$(dirname "$0")/.."
symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
suppressions=$PWD/tests/sanitizers
status=0

build() { # folder, targets...
    local folder=$1
    shift
    if ! cmake --build "$folder" -j2 --target "$@" >"$folder/sanitize-build.log" 2>&1; then
        tail -n 50 "$folder/sanitize-build.log"
        exit 2
    fi
}

# Every test and the programs they start; not the benchmark nor the window program.
scripts/configure-clang.sh build-asan -DQUORVEL_FUZZ=ON
mapfile -t tests < <(ctest --test-dir build-asan -N | sed -n 's/^ *Test *#[0-9]*: //p')
build build-asan quorvel-cli "${tests[@]}"
ASAN_OPTIONS="detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1" \
LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:suppressions=$suppressions/ubsan.supp" \
ASAN_SYMBOLIZER_PATH=$symbolizer \
    ctest --test-dir build-asan --output-on-failure -j2 || status=1

threaded=(tst_searchengine tst_parametertuning tst_searchscheme tst_searchsession tst_job tst_familywise)
scripts/configure-clang.sh build-tsan -DQUORVEL_SANITIZE=thread
build build-tsan "${threaded[@]}"
# ignore_noninstrumented_modules: Qt's own locking is not seen by the sanitizer (tests/sanitizers/
# tsan.supp says why ignoring what Qt's code touches is safe); the program's accesses are all checked.
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$suppressions/tsan.supp:external_symbolizer_path=$symbolizer" \
    ctest --test-dir build-tsan --output-on-failure -j2 -R "^($(IFS='|'; echo "${threaded[*]}"))\$" || status=1
exit $status
