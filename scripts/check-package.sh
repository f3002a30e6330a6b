#!/usr/bin/env bash
# Checks the package that scripts/package.sh built: it holds exactly the files a user's system
# expects, its desktop entry, AppStream metadata and the package itself pass Debian's checks
# (lintian errors fail, its warnings are printed), and the programs unpacked from it start and
# keep their data in the per-user folder, writing nothing beside the binaries.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
debs=(build/quorvel_*_amd64.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package: expected one build/quorvel_*_amd64.deb, found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
failed=0
report() {
    echo "package: $1" >&2
    failed=1
}

expected=(
    ./usr/bin/quorvel
    ./usr/bin/quorvel-cli
    ./usr/share/applications/quorvel.desktop
    ./usr/share/bash-completion/completions/quorvel-cli
    ./usr/share/doc/quorvel/README.md
    ./usr/share/doc/quorvel/changelog.gz
    ./usr/share/doc/quorvel/copyright
    ./usr/share/doc/quorvel/manual/index.html
    ./usr/share/icons/hicolor/256x256/apps/quorvel.png
    ./usr/share/icons/hicolor/48x48/apps/quorvel.png
    ./usr/share/icons/hicolor/scalable/apps/quorvel.svg
    ./usr/share/man/man1/quorvel-cli.1.gz
    ./usr/share/man/man1/quorvel.1.gz
    ./usr/share/metainfo/io.github.quorvel.Quorvel.metainfo.xml
)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$actual" != "$(printf '%s\n' "${expected[@]}" | sort)" ]; then
    report "the package's files differ from the expected list:"
    diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$actual") >&2 || true
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/pkg"
desktop-file-validate "$root/pkg/usr/share/applications/quorvel.desktop" || report "desktop-file-validate failed"
appstreamcli validate --no-net "$root/pkg/usr/share/metainfo/io.github.quorvel.Quorvel.metainfo.xml" >/dev/null ||
    report "appstreamcli validate failed"

lintian_output=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[ -n "$lintian_output" ] && echo "$lintian_output" | sed 's/^/package: lintian: /'
grep -q '^E:' <<<"$lintian_output" && report "lintian reports errors"

[ "$("$root/pkg/usr/bin/quorvel-cli" --version)" = "quorvel-cli $version" ] || report "quorvel-cli --version is not $version"
mkdir -p "$root/home"
HOME="$root/home" XDG_DATA_HOME= XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen \
    "$root/pkg/usr/bin/quorvel" --quit-after-start 2>/dev/null || report "the unpacked quorvel did not start"
[ -f "$root/home/.local/share/Quorvel/Quorvel/formula.db" ] || report "the unpacked quorvel kept no formula.db in the per-user folder"
extra=$(ls "$root/pkg/usr/bin" | grep -vxE 'quorvel|quorvel-cli' || true)
[ -z "$extra" ] || report "the unpacked quorvel wrote beside its binaries: $extra"

[ "$failed" -eq 0 ] && echo "package: ok ($deb)"
exit "$failed"
