#!/usr/bin/env bash
# Installs what is missing, builds Prodle and its tests, and runs the whole test suite:
# the Windows tests under Wine on a virtual display, then the portable rules natively with sanitizers
# and a short fuzzing round.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing
ensure_japanese_locale
"$ROOT/scripts/check_rules.sh"
"$ROOT/scripts/check_format.sh"
arch="$(test_arch)"
echo "== Building for $arch"
build "$arch" ON
if [ "$arch" != i686 ]; then
    echo "== Building the 32-bit program (the machine cannot run 32-bit code: its tests run as 64-bit code)"
    build i686 OFF prodle
fi
# The program as shipped starts on Windows XP SP3: it imports nothing that XP lacks.
"$ROOT/scripts/check_imports.sh" "$ROOT/build-i686/prodle.exe"
# The installer package's tables: what no Wine run can show (a per-machine install as SYSTEM, ...).
"$ROOT/scripts/make_msi.sh" "$ROOT/build-i686/prodle.exe" "$(prodle_version)" "$ROOT/build-i686/prodle.msi"
"$ROOT/scripts/check_msi.sh" "$ROOT/build-i686/prodle.msi"
ensure_prefix "$arch"

echo "== Windows tests"
# No name lookup of the tests may leave this machine (see isolated.sh).
"$ROOT/scripts/isolated.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$ROOT/build-$arch" --output-on-failure --timeout 300
# Why a test skipped: ctest shows the output of failed tests only.
grep -h '^SKIPPED: ' "$ROOT/build-$arch/Testing/Temporary/LastTest.log" || true

# The end-to-end tests leave screenshots of the form and the dialogs as BMP files; PNG copies beside
# them (without time stamps, so that an unchanged picture gives the same file).
for bmp in "$ROOT/build-$arch"/artefacts/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" -define png:exclude-chunks=date,time "${bmp%.bmp}.png" 2>/dev/null || true
done
[ -d "$ROOT/build-$arch/artefacts" ] && echo "== Screenshots: $ROOT/build-$arch/artefacts"
# PRODLE_DOCS=1: the README's pictures are taken from these.
if [ "${PRODLE_DOCS:-0}" = 1 ]; then
    mkdir -p "$ROOT/docs"
    for shot in form tray-icon-and-menu tray-link-down edit-names options about history; do
        cp "$ROOT/build-$arch/artefacts/$shot.png" "$ROOT/docs/$shot.png"
    done
    echo "== README pictures copied into $ROOT/docs"
fi

echo "== Portable rules: sanitizers and fuzzing"
"$ROOT/scripts/fuzz.sh" "${FUZZ_SECS:-5}"
