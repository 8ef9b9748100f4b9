#!/usr/bin/env bash
# Builds the release artefacts in out/, named with CMakeLists.txt's version:
#   prodle-<version>.msi  the installer (per user by double-click, per machine with ALLUSERS=1; scripts/make_msi.sh)
#   prodle-<version>.zip  the 32-bit prodle.exe and a read-me, for those who keep it portable
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing
build i686 OFF prodle
version="$(prodle_version)"
mkdir -p "$ROOT/out"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$ROOT/build-i686/prodle.exe" "$stage/prodle.exe"
i686-w64-mingw32-strip "$stage/prodle.exe"
sed "s/@VERSION@/$version/g; s/\$/\r/" "$ROOT/packaging/README.txt" > "$stage/README.txt"   # Windows line ends
rm -f "$ROOT/out/prodle-$version.zip" "$ROOT/out/prodle-$version.msi"
(cd "$stage" && zip -q -X "$ROOT/out/prodle-$version.zip" prodle.exe README.txt)
"$ROOT/scripts/make_msi.sh" "$stage/prodle.exe" "$version" "$ROOT/out/prodle-$version.msi"
echo "== $ROOT/out/prodle-$version.zip"
unzip -l "$ROOT/out/prodle-$version.zip"
echo "== $ROOT/out/prodle-$version.msi"
ls -l "$ROOT/out/prodle-$version.msi"
