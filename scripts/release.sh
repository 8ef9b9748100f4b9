#!/usr/bin/env bash
# Builds the release artefact: out/prodle-1.8.zip with the 32-bit prodle.exe and a read-me for Windows users.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing
build i686 OFF prodle
mkdir -p "$ROOT/out"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$ROOT/build-i686/prodle.exe" "$stage/prodle.exe"
i686-w64-mingw32-strip "$stage/prodle.exe"
sed 's/$/\r/' "$ROOT/packaging/README.txt" > "$stage/README.txt"   # Windows line ends
rm -f "$ROOT/out/prodle-1.8.zip"
(cd "$stage" && zip -q -X "$ROOT/out/prodle-1.8.zip" prodle.exe README.txt)
echo "== $ROOT/out/prodle-1.8.zip"
unzip -l "$ROOT/out/prodle-1.8.zip"
