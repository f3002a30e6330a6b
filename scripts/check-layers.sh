#!/usr/bin/env bash
# Checks the layering of the sources: nothing below src/ui includes a Qt Widgets header, no folder
# includes a folder above it (or beside it, where the build links nothing), and the windows never
# include the storage headers. Prints each offending include and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_include=$(pkg-config --variable=includedir Qt6Widgets)
widget_headers=$(ls "$qt_include/QtWidgets" | grep -v '\.h$' | paste -sd'|')

# The folders each folder may include, as the build links them.
declare -A allowed=(
    [core]="core"
    [formulas]="core formulas"
    [history]="core formulas history"
    [verification]="core formulas verification"
    [search]="core formulas verification search"
    [workspace]="core formulas history verification search workspace"
    [ui]="core formulas history verification search workspace ui"
)
storage='core/(Database|HistoryTable|FormulaTables|RankingTable|LedgerTable|SqlConnection|Schema)\.h'

failed=0
report() {
    echo "layers: $1" >&2
    failed=1
}

for folder in "${!allowed[@]}"; do
    while IFS= read -r line; do
        file=${line%%:*}
        included=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")
        if [[ " ${allowed[$folder]} " != *" $included "* ]]; then
            report "$line (src/$folder may not include $included/)"
        fi
    done < <(grep -rnE '^#include "[a-z]+/' "src/$folder" || true)
    if [ "$folder" != ui ]; then
        while IFS= read -r line; do
            report "$line (a Qt Widgets header below src/ui)"
        done < <(grep -rnE "^#include <(QtWidgets/|QtWidgets>|($widget_headers)>)" "src/$folder" || true)
    fi
done
while IFS= read -r line; do
    report "$line (the windows reach the data through the workspace)"
done < <(grep -rnE "^#include \"$storage\"" src/ui || true)

[ "$failed" -eq 0 ] && echo "layers: ok"
exit "$failed"
