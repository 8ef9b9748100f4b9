#!/usr/bin/env bash
# Builds Prodle's Windows Installer package (packaging/prodle.wxs) with msitools' wixl:
#   scripts/make_msi.sh <prodle.exe> <version> <output.msi>
# release.sh gives CMakeLists.txt's version; the installer test gives a higher one to build an update.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe="$(realpath "$1")" version="$2" output="$(realpath -m "$3")"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/prodle.exe"
cp "$ROOT/src/app/res/prodle.ico" "$stage/prodle.ico"
(cd "$stage" && wixl -D Version="$version" -o prodle.msi "$ROOT/packaging/prodle.wxs")
# What wixl cannot write, set in its tables: the log-in entry's condition, and an update that also
# replaces an install of the same version (a rebuilt package has another product code), not only an
# older one (Attributes 513: migrate the features, the upper version bound is inclusive; a key
# column, so the row is written anew).
upgrade_code="$(msiinfo export "$stage/prodle.msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" { print $2 }')"
msibuild "$stage/prodle.msi" \
    -q "UPDATE \`Component\` SET \`Condition\` = 'STARTATLOGON = \"1\"' WHERE \`Component\` = 'StartAtLogon'" \
    -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
        VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
mv "$stage/prodle.msi" "$output"
