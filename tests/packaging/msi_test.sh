#!/usr/bin/env bash
# The Windows Installer package under Wine, in a prefix of its own made afresh, on a display of its
# own: install for the user, update to a higher version, replace it with another build of that
# version, uninstall while Prodle runs; then install for all users, update with STARTATLOGON=0 and
# uninstall. Wine's msiexec runs elevated, as one from a command prompt run as administrator does:
# it starts no Prodle and says that the log-in will, and the test starts it as the log-in entry does.
# A 64-bit prodle.exe (the build of a machine that cannot run 32-bit code) is packaged all the same
# and tested in a 64-bit prefix, where the 32-bit package goes to Program Files (x86) and
# HKLM\Software\Wow6432Node, as on 64-bit Windows.
#   msi_test.sh <prodle.exe> <version> <work folder>
# Exits with 77, ctest's skip, where it cannot run, and says why.
set -euo pipefail
exe="$1" version="$2" work="$3"
# The exe's machine (PE header): 8664 for x86-64, 014c for i386.
machine="$(od -An -tx2 -N2 -j"$(($(od -An -tu4 -N4 -j60 "$exe") + 4))" "$exe" | tr -d ' ')"
if [ "$machine" = 8664 ]; then
    loader=/usr/lib/wine/wine64 cannot="Wine's 64-bit loader does not run here"
else
    loader=wine cannot="this machine runs no 32-bit code, which Wine needs for a 32-bit prodle.exe"
    export WINEARCH=win32
fi
if [ -z "${MSI_TEST_INNER:-}" ]; then
    skip() { echo "SKIPPED: $*"; exit 77; }
    command -v wixl >/dev/null || skip "no wixl (Debian's wixl) to build the package"
    "$loader" --version 2>/dev/null | grep -q '^wine-' || skip "$cannot"
    # Nothing started here may hold ctest's pipes (it would wait for the wineserver): all into a log.
    rm -rf "$work" && mkdir -p "$work"
    status=0
    MSI_TEST_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@" >"$work/log" 2>&1 </dev/null || status=$?
    cat "$work/log"
    [ "$status" = 0 ] && rm -rf "$work/prefix"
    exit "$status"
fi

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true' EXIT
wine() { command "$loader" "$@"; }  # "wine" itself for a 32-bit prodle.exe
root="$(cd "$(dirname "$0")/../.." && pwd)"
newer="$((${version%%.*} + 1)).0"
"$root/scripts/make_msi.sh" "$exe" "$version" "$work/old.msi"
"$root/scripts/make_msi.sh" "$exe" "$newer" "$work/new.msi"
"$root/scripts/make_msi.sh" "$exe" "$newer" "$work/rebuild.msi"
wine wineboot -i >/dev/null 2>&1 && wineserver -w

failed=0
check() { if "${@:2}"; then echo "ok      $1"; else echo "FAILED  $1"; failed=1; fi; }
# A wait whose bound runs out ends the test there.
wait_for() {
    for _ in $(seq 100); do "${@:2}" >/dev/null && echo "ok      $1" && return 0; sleep 0.2; done
    echo "FAILED  $1: not within 20 s"
    exit 1
}
msiexec() { local log="$work/msiexec-$((++runs)).log"; wine msiexec "$@" /qn /l*v "$log"; }
actions() { sed -n 's/^Action start [0-9:]*: \(.*\)\.$/\1/p' "$work/msiexec-$runs.log" | paste -sd' '; }
unix_path() { wine winepath -u "$(wine cmd /c "echo $1" | tr -d '\r')"; }
windows_path() { wine winepath -w "$1" | tr -d '\r'; }
view="$([ "$machine" != 8664 ] || echo /reg:32)"  # a 32-bit package's registry in a 64-bit prefix
reg_value() { wine reg query "$1" /v "$2" $view 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
products() { wine uninstaller --list | tr -d '\r' | grep '|||Prodle$' || true; }
entry() {  # Windows keeps a per-user product's entry under HKCU, Wine under HKLM
    local key='Software\Microsoft\Windows\CurrentVersion\Uninstall\'"$(products | cut -d'|' -f1)" name
    for name in DisplayVersion Publisher HelpLink; do
        reg_value "HKCU\\$key" $name | grep . || reg_value "HKLM\\$key" $name
    done | paste -sd'|'
}
# The Linux process of this display's Prodle, once it shows its tray icon.
prodle_pid() {
    xdotool search --onlyvisible --name '^Wine System Tray$' >/dev/null &&
        xdotool getwindowpid "$(xdotool search --class prodle.exe | head -1)" 2>/dev/null
}
# Started as the log-in entry starts it: the Run value's command line ("program" arguments).
log_in() {
    local command program
    command="$(reg_value "HKCU\\$run_key" Prodle)" && program="${command#\"}" && program="${program%%\"*}"
    (wine "$program" ${command#\"$program\"} >/dev/null 2>&1 &)
}
# The installer's message after an elevated per-user install, in the log of this (silent) one.
said_log_in_starts_it() {
    tr -d '\r' <"$work/msiexec-$runs.log" |
        grep -qxF "Prodle starts when you next log in. An installer run as administrator does not start it."
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
runs=0
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKLM\Software\Quendar Software\Prodle\Settings'
dir="$(unix_path '%LOCALAPPDATA%')/Programs/Prodle"
shortcut="$(unix_path '%APPDATA%')/Microsoft/Windows/Start Menu/Programs/Prodle.lnk"
wine reg add "$settings" /v AutoStart /d 0 /f >/dev/null
wine reg add "$settings" /v ComboName0 /d 127.0.0.3 /f >/dev/null

# Wine's msiexec knows no MSIINSTALLPERUSER and installs a double-click's ALLUSERS=2 for all users,
# and in an uninstall it takes ALLUSERS from the package again (Windows, from the installed product):
# ALLUSERS= asks for what Windows 7 and later do then.
echo "== install $version for this user"
check "msiexec /i ALLUSERS= succeeds" msiexec /i "$work/old.msi" ALLUSERS=
check "the program in the user's programs folder, a Start-menu shortcut, the log-in entry under HKCU" \
      test -f "$dir/prodle.exe" -a -f "$shortcut" -a "$(reg_value "HKCU\\$run_key" Prodle)" = "\"$(windows_path "$dir")\\prodle.exe\" /login"
check "one entry in Add or Remove Programs: version, publisher, help link" \
      test "$(products | wc -l) $(entry)" = "1 $version|Quendar Software|http://www.prodle.example/"
icon="$(unix_path "$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s /v ProductIcon | tr -d '\r' | sed -n 's/.*REG_SZ *//p')")"
check "... and its icon" test -s "$icon"
# The log's last lines can come a moment after msiexec has returned.
wait_for "elevated, it says that the log-in starts Prodle" said_log_in_starts_it
check "... and starts none" eval '[[ " $(actions) " != *" StartProdle "* ]]'
log_in
wait_for "Prodle started by the log-in entry, showing its tray icon" prodle_pid
old_pid="$(prodle_pid)"

echo "== update to $newer"
check "msiexec /i succeeds" msiexec /i "$work/new.msi" ALLUSERS=
check "Prodle asked to exit before InstallValidate" eval '[[ "$(actions)" == *" ExitRunningProdle "*" InstallValidate "* ]]'
check "one entry, of the new version" test "$(products | wc -l) $(entry)" = "1 $newer|Quendar Software|http://www.prodle.example/"
cache="$(dirname "$(dirname "$icon")")"  # the installer's copies of each product's icon
check "no file of the old version is left" test "$(ls "$dir") $(ls "$cache")" = "prodle.exe $(products | cut -d'|' -f1)"
wait_for "elevated, it says that the log-in starts Prodle" said_log_in_starts_it
check "... and starts none; the old one has ended" \
      eval '[[ " $(actions) " != *" StartProdle "* ]] && [ ! -e "/proc/$old_pid" ]'

echo "== another build of $newer"
check "msiexec /i succeeds" msiexec /i "$work/rebuild.msi" ALLUSERS=
check "... and replaces the installed one: one entry, the new build's" \
      test "$(products | cut -d'|' -f1 | paste -sd' ') $(entry)" = "$(product_code "$work/rebuild.msi") $newer|Quendar Software|http://www.prodle.example/"

echo "== uninstall while Prodle runs"
log_in
wait_for "Prodle started by the log-in entry" prodle_pid
check "msiexec /x succeeds" msiexec /x "$work/rebuild.msi" ALLUSERS=
check "Prodle has ended" test -z "$(xdotool search --class prodle.exe)"
check "program, shortcut, log-in entry and entry are gone" \
      test ! -e "$dir" -a ! -e "$shortcut" -a -z "$(reg_value "HKCU\\$run_key" Prodle)$(products)"
check "the settings stay" test "$(view="" reg_value "$settings" ComboName0)" = 127.0.0.3

# A 32-bit package's ProgramFilesFolder. Windows puts the shortcut into the Start menu of all users,
# Wine into the user's whatever ALLUSERS says.
machine_dir="$(unix_path '%ProgramFiles%')${view:+ (x86)}/Prodle"
echo "== install $version for all users, update with STARTATLOGON=0, uninstall"
check "msiexec /i ALLUSERS=1 succeeds" msiexec /i "$work/old.msi" ALLUSERS=1
check "the program in Program Files, a Start-menu shortcut, the log-in entry under HKLM alone" \
      test -f "$machine_dir/prodle.exe" -a -f "$shortcut" -a \
      "$(reg_value "HKLM\\$run_key" Prodle)|$(reg_value "HKCU\\$run_key" Prodle)" = "\"$(windows_path "$machine_dir")\\prodle.exe\" /login|"
check "Prodle not started in the installing account" eval '[[ " $(actions) " != *" StartProdle "* ]] && ! said_log_in_starts_it'
check "msiexec /i STARTATLOGON=0 succeeds" msiexec /i "$work/new.msi" ALLUSERS=1 STARTATLOGON=0
check "... one entry, of the new version, without a log-in entry" \
      test "$(products | wc -l) $(entry) $(reg_value "HKLM\\$run_key" Prodle)" = "1 $newer|Quendar Software|http://www.prodle.example/ "
check "msiexec /x succeeds" msiexec /x "$work/new.msi"
check "program, shortcut and entry are gone" test ! -e "$machine_dir" -a ! -e "$shortcut" -a -z "$(products)"
exit "$failed"
