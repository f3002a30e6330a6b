#!/usr/bin/env bash
# Checks that every system library the build links comes from a Debian package that
# install-deps.sh installs, directly or as a dependency of one it names. A library that is only
# present because it happened to be installed on this machine would break the set-up on a new one.
# Reads the link lines of build/ (after a build); the install script to check may be given as the
# first argument (default scripts/install-deps.sh). Prints each library whose package is missing
# and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
install_script=${1:-scripts/install-deps.sh}

shopt -s nullglob
link_files=(build/CMakeFiles/*/link.txt)
if [ ${#link_files[@]} -eq 0 ]; then
    echo "link-deps: no link lines under build/CMakeFiles: build first" >&2
    exit 1
fi

# Every library file named on a link line: absolute paths as they stand, -lNAME as the compiler
# driver resolves it (the shared library first, as the linker prefers it). Archives the build
# makes itself are relative paths and are skipped.
libraries() {
    local word
    for word in $(cat "${link_files[@]}"); do
        case "$word" in
            -l*)
                local name=${word#-l} path
                path=$(c++ -print-file-name="lib$name.so")
                [ "$path" = "lib$name.so" ] && path=$(c++ -print-file-name="lib$name.a")
                if [ "$path" = "lib$name.a" ]; then
                    echo "link-deps: $word is not found on this machine" >&2
                    echo "MISSING:$word"
                else
                    echo "$path"
                fi
                ;;
            /*.so | /*.so.* | /*.a) echo "$word" ;;
        esac
    done | sort -u
}

# The Debian package that owns a file; the unresolved path first, then the resolved one (a
# symbolic link such as libz.so belongs to the -dev package, its target to the runtime one).
owner() {
    local file=$1 found
    for candidate in "$file" "$(readlink -f "$file")"; do
        # Debian 12 merges /lib into /usr/lib; dpkg records whichever path the package ships.
        for path in "$candidate" "${candidate#/usr}"; do
            found=$(dpkg-query -S "$path" 2>/dev/null | head -1) || true
            if [ -n "$found" ]; then
                echo "${found%%:*}"
                return
            fi
        done
    done
}

# The packages the install script names and everything they depend on, recursively.
mapfile -t named < <(bash "$install_script" --list)
declare -A provided=()
while IFS= read -r name; do
    [ -n "$name" ] && provided[$name]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
             --no-replaces --no-enhances "${named[@]}" 2>/dev/null |
         sed -E 's/^ +//; s/^\|?(Pre)?Depends: //; s/^<(.*)>$/\1/; s/:.*$//')
for p in "${named[@]}"; do provided[$p]=1; done

failed=0
while IFS= read -r library; do
    if [[ $library == MISSING:* ]]; then
        failed=1
        continue
    fi
    package=$(owner "$library")
    if [ -z "$package" ]; then
        echo "link-deps: $library belongs to no Debian package" >&2
        failed=1
    elif [ -z "${provided[$package]:-}" ]; then
        echo "link-deps: $library comes from $package, which $install_script does not install" >&2
        failed=1
    fi
done < <(libraries)

[ "$failed" -eq 0 ] && echo "link-deps: ok"
exit "$failed"
