#!/usr/bin/env bash
# Prodle's benchmark (not a test: it prints figures, and passes or fails nothing). Installs what is
# missing, builds prodle.exe and the bench's own programs (an empty tray program as the yardstick, and a
# probe that clicks and times the form), and runs bench/bench.py in a network namespace of its own on a
# virtual display. About seven minutes. It measures the 32-bit build, or, where the machine cannot run
# 32-bit code, the 64-bit build of the same sources, as the tests do (PRODLE_ARCH=i686|x86_64 chooses).
# The table goes to stdout and to build-<arch>/bench/latest.md; the figures are noisy while the machine
# is busy: run it more than once.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

PACKAGES="$PACKAGES curl"
install_missing
arch="$(test_arch)"
runs_32_bit=no
if runs_32_bit_code; then runs_32_bit=yes; fi
if [ "$arch" = i686 ] && [ "$runs_32_bit" = no ]; then
    echo "!! This machine cannot run 32-bit code: the i686 build cannot be measured here" >&2
    exit 1
fi
echo "== Benchmark of the $arch build" >&2
# The build folder keeps its tests if it has them (only the bench's targets are built): else the next
# `cmake --build` there would leave the test program as it was.
tests=OFF
grep -q '^PRODLE_TESTS:BOOL=ON' "$ROOT/build-$arch/CMakeCache.txt" 2>/dev/null && tests=ON
build "$arch" "$tests" prodle baseline probe history_paint >/dev/null
ensure_prefix "$arch"

build="$ROOT/build-$arch"
# The bench starts a Wine server of its own inside the namespace (the server makes the sockets).
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
version="$(git -C "$ROOT" log -1 --format='commit %h (%cs) "%s"' 2>/dev/null || echo 'prodle.exe')"
"$ROOT/scripts/isolated.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    python3 -B "$ROOT/bench/bench.py" --build "$build" --arch "$arch" --runs-32-bit "$runs_32_bit" \
    --out "$build/bench/latest.md" --program-version "$version"
