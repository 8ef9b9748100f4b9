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
entry() {  # Windows keeps a per-user product's entry under HKCU, Wine under HKLM
    local key='Software\Microsoft\Windows\CurrentVersion\Uninstall\'"$(products | cut -d'|' -f1)" name
    for name in DisplayVersion Publisher HelpLink; do
        reg_value "HKCU\\$key" $name | grep . || reg_value "HKLM\\$key" $name
    done | paste -sd'|'
}
# A Prodle of this prefix runs and shows its tray icon (bounded: it is just being started).
prodle_in_tray() {
    for _ in $(seq 100); do
        xdotool search --class prodle.exe >/dev/null && xdotool search --onlyvisible --name '^Wine System Tray$' >/dev/null && return 0
        sleep 0.2
    done
    return 1
}
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKLM\Software\Quendar Software\Prodle\Settings'
dir="$(unix_path '%LOCALAPPDATA%')/Programs/Prodle"
shortcut="$(unix_path '%APPDATA%')/Microsoft/Windows/Start Menu/Programs/Prodle.lnk"
wine reg add "$settings" /v AutoStart /d 0 /f >/dev/null
wine reg add "$settings" /v ComboName0 /d 127.0.0.3 /f >/dev/null

echo "== install $version"
check "msiexec /i succeeds" wine msiexec /i "$work/old.msi" /qn
check "the program in the user's programs folder, a Start-menu shortcut" test -f "$dir/prodle.exe" -a -f "$shortcut"
check "the log-in entry starts it" test "$(reg_value "$run_key" Prodle)" = "\"$(winepath -w "$dir")\\prodle.exe\""
check "one entry in Add or Remove Programs: version, publisher, help link" \
      test "$(products | wc -l) $(entry)" = "1 $version|Quendar Software|http://www.prodle.example/"
icon="$(winepath -u "$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s /v ProductIcon | tr -d '\r' | sed -n 's/.*REG_SZ *//p')")"
check "... and its icon" test -s "$icon"
check "Prodle was started and shows its tray icon" prodle_in_tray

echo "== update to $newer"
check "msiexec /i succeeds" wine msiexec /i "$work/new.msi" /qn
check "one entry, of the new version" test "$(products | wc -l) $(entry)" = "1 $newer|Quendar Software|http://www.prodle.example/"
cache="$(dirname "$(dirname "$icon")")"  # the installer's copies of each product's icon
check "no file of the old version is left" test "$(ls "$dir") $(ls "$cache")" = "prodle.exe $(products | cut -d'|' -f1)"
check "Prodle runs again" prodle_in_tray

echo "== uninstall while Prodle runs"
check "msiexec /x succeeds" wine msiexec /x "$work/new.msi" /qn
check "Prodle has ended" test -z "$(xdotool search --class prodle.exe)"
check "program, shortcut, log-in entry and entry are gone" \
      test ! -e "$dir" -a ! -e "$shortcut" -a -z "$(reg_value "$run_key" Prodle)$(products)"
check "the settings stay" test "$(reg_value "$settings" ComboName0)" = 127.0.0.3

echo "== install with STARTATLOGON=0"
check "msiexec /i STARTATLOGON=0 succeeds" wine msiexec /i "$work/old.msi" /qn STARTATLOGON=0
check "... without a log-in entry" test -f "$dir/prodle.exe" -a -z "$(reg_value "$run_key" Prodle)"
exit "$failed"
