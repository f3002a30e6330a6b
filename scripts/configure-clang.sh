#!/usr/bin/env bash
# configure-clang.sh FOLDER [CMAKE OPTION...]: configures a clang build of the project in FOLDER
# for the fuzz and sanitizer runs, installing what they need when it is missing (Debian 12, as
# root): clang, its runtime of libFuzzer and the sanitizers, and llvm-symbolizer (llvm-14), which
# gives sanitizer reports their files and lines. The normal build and test need none of it.
#
# -O1 with line tables: the sanitizers' own advice, and a build that compiles in much less time
# than -O3 with full debug information.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
scripts/install-deps.sh clang libclang-rt-14-dev llvm-14
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
      -DCMAKE_CXX_FLAGS=-gline-tables-only -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" "$@" >/dev/null
