#!/usr/bin/env bash
# prodle.exe is made for Windows XP SP3 and later. Windows refuses to start a program that imports a
# single function its DLLs lack, or whose header asks for a newer Windows, so this lists what the
# program imports and fails on any function of post_xp_imports.txt (beside this script).
#   check_imports.sh [program]      (default: build-i686/prodle.exe, the program as shipped)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe="${1:-$ROOT/build-i686/prodle.exe}"
patterns="$(sed -e 's/#.*//' -e 's/[[:space:]]*$//' -e '/^$/d' "$ROOT/scripts/post_xp_imports.txt")"

header="$(i686-w64-mingw32-objdump -p "$exe")"
# "dll!function" for each function imported by name.
imports="$(awk '/^[[:space:]]*DLL Name:/ { dll = tolower($3) }
                /^[[:space:]]*$/ { dll = "" }
                dll && /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]<]/ { print dll "!" $3 }' <<<"$header")"
if [ -z "$imports" ]; then
    echo "!! No imports found in $exe" >&2
    exit 1
fi

bad=""
while read -r import; do
    function="${import#*!}"
    while read -r pattern; do
        # shellcheck disable=SC2053  # the patterns are globs
        if [[ "$pattern" == *!* && "$import" == $pattern ]] || [[ "$pattern" != *!* && "$function" == $pattern ]]; then
            bad="$bad  $import (matches $pattern)"$'\n'
            break
        fi
    done <<<"$patterns"
done <<<"$imports"

# The loader also compares the subsystem version with its own (XP: 5.1).
subsystem="$(awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
                  END { print major "." minor }' <<<"$header")"
if ! awk -v v="$subsystem" 'BEGIN { split(v, p, "."); exit !(p[1] < 5 || (p[1] == 5 && p[2] <= 1)) }'; then
    bad="$bad  subsystem version $subsystem (Windows XP is 5.1)"$'\n'
fi

count="$(wc -l <<<"$imports")"
if [ -n "$bad" ]; then
    echo "!! $exe would not start on Windows XP SP3:" >&2
    printf '%s' "$bad" >&2
    exit 1
fi
echo "== $exe: $count imported functions, none missing from Windows XP SP3; subsystem version $subsystem"
