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
# What wixl cannot write, set in its tables: the log-in entry's condition, the registry root HKMU
# (-1: HKCU per user, HKLM per machine; wixl writes 4, which is no root at all), the removal of
# %LOCALAPPDATA%\Programs (wixl removes only the folder of the component that asks), the upgrade's
# range up to this version itself (512: inclusive; another build of the same version is replaced, as
# AllowSameVersionUpgrades does; the row's columns are all its key, so it is made anew), and the
# message of an elevated install as a script in a property (53: JScript in the property that Source
# names, +64: its failure does not fail the install).
upgrade_code="$(msiinfo export "$stage/prodle.msi" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" { print $2 }')"
msibuild "$stage/prodle.msi" \
    -q "UPDATE \`Component\` SET \`Condition\` = 'STARTATLOGON = \"1\"' WHERE \`Component\` = 'StartAtLogon'" \
    -q "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4" \
    -q "UPDATE \`RemoveFile\` SET \`DirProperty\` = 'UserProgramsFolder' WHERE \`FileKey\` = 'RemoveUserProgramsFolder'" \
    -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
    -q "UPDATE \`CustomAction\` SET \`Type\` = 117, \`Target\` = '' WHERE \`Action\` = 'SayStartAtLogon'"
mv "$stage/prodle.msi" "$output"
