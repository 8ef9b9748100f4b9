#!/usr/bin/env bash
# The Windows Installer package under Wine, in a prefix of its own made afresh, on a display of its
# own: install, update to a higher version, uninstall while Prodle runs, and STARTATLOGON=0.
#   msi_test.sh <prodle.exe> <version> <work folder>
set -euo pipefail
exe="$1" version="$2" work="$3"
if [ -z "${MSI_TEST_INNER:-}" ]; then
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
root="$(cd "$(dirname "$0")/../.." && pwd)"
newer="$((${version%%.*} + 1)).0"
"$root/scripts/make_msi.sh" "$exe" "$version" "$work/old.msi"
"$root/scripts/make_msi.sh" "$exe" "$newer" "$work/new.msi"
WINEARCH=win32 wineboot -i >/dev/null 2>&1 && wineserver -w

failed=0
check() { if "${@:2}"; then echo "ok      $1"; else echo "FAILED  $1"; failed=1; fi; }
unix_path() { winepath -u "$(wine cmd /c "echo $1" | tr -d '\r')"; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
products() { wine uninstaller --list | tr -d '\r' | grep '|||Prodle$' || true; }
uninstall_value() {  # Windows keeps a per-user product's entry under HKCU, Wine under HKLM
    local key='Software\Microsoft\Windows\CurrentVersion\Uninstall\'"$(products | cut -d'|' -f1)"
    reg_value "HKCU\\$key" "$1" | grep . || reg_value "HKLM\\$key" "$1"
}
# A Prodle of this prefix runs and shows its tray icon (bounded: it is just being started).
prodle_in_tray() {
    for _ in $(seq 100); do
        xdotool search --class prodle.exe >/dev/null && xdotool search --onlyvisible --name '^Wine System Tray$' >/dev/null && return 0
        sleep 0.2
    done
    return 1
}
no_prodle() { ! xdotool search --class prodle.exe >/dev/null; }
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKLM\Software\Quendar Software\Prodle\Settings'
dir="$(unix_path '%LOCALAPPDATA%')/Programs/Prodle"
shortcut="$(unix_path '%APPDATA%')/Microsoft/Windows/Start Menu/Programs/Prodle.lnk"
wine reg add "$settings" /v AutoStart /d 0 /f >/dev/null
wine reg add "$settings" /v ComboName0 /d 127.0.0.3 /f >/dev/null

echo "== install $version"
check "msiexec /i succeeds" wine msiexec /i "$work/old.msi" /qn
check "the program is in the user's programs folder" test -f "$dir/prodle.exe"
check "a Start-menu shortcut" test -f "$shortcut"
check "the log-in entry starts it" test "$(reg_value "$run_key" Prodle)" = "\"$(winepath -w "$dir")\\prodle.exe\""
check "one entry in Add or Remove Programs" test "$(products | wc -l)" = 1
check "... with the version" test "$(uninstall_value DisplayVersion)" = "$version"
check "... the publisher" test "$(uninstall_value Publisher)" = "Quendar Software"
check "... and the help link" test "$(uninstall_value HelpLink)" = "http://www.prodle.example/"
icon="$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s /v ProductIcon | tr -d '\r' | sed -n 's/.*REG_SZ *//p')"
icon="$(winepath -u "${icon:-none}")"
check "... and the icon" test -s "$icon"
check "Prodle was started and shows its tray icon" prodle_in_tray

echo "== update to $newer"
check "msiexec /i succeeds" wine msiexec /i "$work/new.msi" /qn
check "one entry, the new version" test "$(products | wc -l)/$(uninstall_value DisplayVersion)" = "1/$newer"
cache="$(dirname "$(dirname "$icon")")"  # the installer's copies (the icon) of each product it installed
check "the old version's files are gone" test "$(ls "$dir")/$(ls "$cache")" = "prodle.exe/$(products | cut -d'|' -f1)"
check "Prodle runs again" prodle_in_tray

echo "== uninstall while Prodle runs"
check "msiexec /x succeeds" wine msiexec /x "$work/new.msi" /qn
check "Prodle has ended" no_prodle
check "the program is gone" test ! -e "$dir"
check "the shortcut is gone" test ! -e "$shortcut"
check "the log-in entry is gone" test -z "$(reg_value "$run_key" Prodle)"
check "no entry in Add or Remove Programs" test -z "$(products)"
check "the settings stay" test "$(reg_value "$settings" ComboName0)" = 127.0.0.3

echo "== install with STARTATLOGON=0"
check "msiexec /i succeeds" wine msiexec /i "$work/old.msi" /qn STARTATLOGON=0
check "the program and its shortcut are installed" test -f "$dir/prodle.exe" -a -f "$shortcut"
check "no log-in entry" test -z "$(reg_value "$run_key" Prodle)"
check "msiexec /x succeeds" wine msiexec /x "$work/old.msi" /qn
check "nothing is left" test ! -e "$dir" -a ! -e "$shortcut" -a -z "$(products)"
exit "$failed"
