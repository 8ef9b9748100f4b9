#!/usr/bin/env bash
# Reads the built installer package's tables (msitools' msiinfo) and checks them, also on a machine
# where Wine cannot install it, and for what Wine's msiexec does not do as Windows does (per-user and
# per-machine installs, SYSTEM, elevation, the validation rules ICE61 and ICE64): the choice between a
# per-user and a per-machine install, the running Prodle asked to exit before InstallValidate, the
# log-in entry and the start after installing (never elevated), the removal of every folder in the
# user's profile, the Upgrade rows.
#   check_msi.sh <prodle.msi>
set -euo pipefail
msi="$1"
failed=0
check() { if "${@:2}"; then echo "ok      $1"; else echo "FAILED  $1"; failed=1; fi; }
# A table's rows, tab-separated, without msiinfo's three header lines.
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
property() { table Property | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
# The sequence number and the condition of an action ("number<TAB>condition"), empty when missing.
step() { table "$1" | awk -F'\t' -v action="$2" '$1 == action { print $3 "\t" $2 }'; }
number() { step "$@" | cut -f1; }
before() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -lt "$2" ]; }

echo "== $(basename "$msi")"
# ALLUSERS=2 with MSIINSTALLPERUSER=1: a double-click installs for the user alone (Windows 7 and
# later), ALLUSERS=1 on msiexec's command line for all users. An install as SYSTEM (Intune, SCCM,
# a Group Policy computer assignment) is for all users too.
check "ALLUSERS=2 and MSIINSTALLPERUSER=1" test "$(property ALLUSERS) $(property MSIINSTALLPERUSER)" = "2 1"
system_action="$(table CustomAction | awk -F'\t' '$2 % 64 == 51 && $3 == "ALLUSERS" && $4 == "1" { print $1 }')"
for sequence in InstallExecuteSequence InstallUISequence; do
    check "$sequence: ALLUSERS=1 when installed as SYSTEM" \
          test "$(step $sequence "$system_action" | cut -f2)" = 'UserSID = "S-1-5-18"' -a -n "$system_action"
    check "... before FindRelatedProducts" \
          before "$(number $sequence "$system_action")" "$(number $sequence FindRelatedProducts)"
done
check "every registry value under HKMU (HKCU per user, HKLM per machine)" \
      test -z "$(table Registry | awk -F'\t' '$2 != -1')"
# The program's own key is the program's: its first start creates it and then imports an old INI.
check "no registry value in Prodle's own key" \
      test -z "$(table Registry | awk -F'\t' 'tolower($3) ~ /^software\\quendar software\\prodle(\\|$)/')"

# An update ends the running Prodle before InstallValidate finds its files in use, a removal before
# it removes them; "prodle.exe /exit" needs its file's path, known after CostFinalize.
exit_action="$(table CustomAction | awk -F'\t' '$3 == "ProdleExe" && $4 == "/exit" { print $1 }')"
check "prodle.exe /exit after CostFinalize" \
      before "$(number InstallExecuteSequence CostFinalize)" "$(number InstallExecuteSequence "$exit_action")"
check "... before InstallValidate" \
      before "$(number InstallExecuteSequence "$exit_action")" "$(number InstallExecuteSequence InstallValidate)"
check "... on an update and on a removal" \
      test "$(step InstallExecuteSequence "$exit_action" | cut -f2)" = 'WIX_UPGRADE_DETECTED OR REMOVE = "ALL"'
check "the old version removed after InstallValidate, before InstallInitialize" \
      test "$(table InstallExecuteSequence | sort -t$'\t' -k3n | awk -F'\t' -v from="$(number InstallExecuteSequence InstallValidate)" \
              -v to="$(number InstallExecuteSequence InstallInitialize)" '$3 >= from && $3 <= to { print $1 }' | paste -sd' ')" \
      = "InstallValidate RemoveExistingProducts InstallInitialize"

# The log-in entry and the start after a per-user install start Prodle with "/login": a Prodle that
# runs already is left as it is. An installer that runs elevated (a command prompt run as
# administrator) starts none, since it would run elevated too, and says that the log-in starts it:
# a script run from a property (53, +64: its failure does not fail the install) gives the message.
check "the log-in entry runs \"prodle.exe\" /login" \
      test "$(table Registry | awk -F'\t' '$3 == "Software\\Microsoft\\Windows\\CurrentVersion\\Run" && $4 == "Prodle" { print $5 }')" \
      = '"[INSTALLDIR]prodle.exe" /login'
start_action="$(table CustomAction | awk -F'\t' '$2 % 64 == 18 && $3 == "ProdleExe" && $4 == "/login" { print $1 }')"
start_condition='NOT Installed AND NOT REMOVE AND STARTATLOGON = "1" AND ALLUSERS <> 1'
check "prodle.exe /login after InstallFinalize, after a per-user install that is not elevated" \
      test -n "$start_action" -a "$(step InstallExecuteSequence "$start_action" | cut -f2)" = "$start_condition AND NOT MsiRunningElevated" -a \
      "$(number InstallExecuteSequence "$start_action")" -gt "$(number InstallExecuteSequence InstallFinalize)"
say_action="$(table CustomAction | awk -F'\t' '$2 == 117 { print $1 }')"
say_script="$(property "$(table CustomAction | awk -F'\t' '$2 == 117 { print $3 }')")"
check "... where it is elevated, a script that says the log-in starts it" \
      test -n "$say_action" -a "$(step InstallExecuteSequence "$say_action" | cut -f2)" = "$start_condition AND MsiRunningElevated" -a \
      "$(number InstallExecuteSequence "$say_action")" -gt "$(number InstallExecuteSequence InstallFinalize)"
check "... as the installer's message" \
      test "${say_script/*'Prodle starts when you next log in.'*'Session.Message(0x03000040, text);'/found}" = found

# Every folder the package makes in the user's profile (a per-user install puts ProgramFilesFolder
# there too) is removed on uninstall (ICE64).
per_user_roots="AppDataFolder LocalAppDataFolder ProgramMenuFolder StartMenuFolder StartupFolder DesktopFolder
                PersonalFolder ProgramFilesFolder"
in_profile="$(table Directory | awk -F'\t' -v roots="$per_user_roots" '
    BEGIN { n = split(roots, r, " "); for (i = 1; i <= n; i++) root[r[i]] = 1 }
    { parent[$1] = $2 }
    END { for (d in parent) for (p = parent[d]; p != ""; p = parent[p]) if (p in root) { print d; break } }')"
removed=" $(table RemoveFile | awk -F'\t' '$3 == "" && ($5 == 2 || $5 == 3) { print $4 }' | paste -sd' ') "
for dir in $in_profile; do
    check "$dir removed on uninstall" test "${removed/ $dir /}" != "$removed"
done

# An update replaces older versions and another build of this one (each build has a ProductCode of its
# own): the range holds this version itself (ICE61 warns of it, as of WiX's AllowSameVersionUpgrades).
# An older package over this one is refused.
version="$(property ProductVersion)" upgrade_code="$(property UpgradeCode)"
upgrades="$(table Upgrade | awk -F'\t' -v code="$upgrade_code" '$1 == code && int($5 / 2) % 2 == 0')"
check "one Upgrade row replaces: versions up to $version, itself included" \
      test "$(echo "$upgrades" | awk -F'\t' '{ print $2 "|" $3 "|" int($5 / 512) % 2 }')" = "|$version|1"
check "one detects a newer version, which stops the install" \
      test "$(table Upgrade | awk -F'\t' -v code="$upgrade_code" '$1 == code && int($5 / 2) % 2 == 1 { print $2 "|" $3 "|" int($5 / 256) % 2 "|" $7 }')" \
      = "$version||0|WIX_DOWNGRADE_DETECTED" -a -n "$(table LaunchCondition | awk -F'\t' '$1 == "NOT WIX_DOWNGRADE_DETECTED"')"
exit "$failed"
