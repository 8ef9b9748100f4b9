#!/usr/bin/env bash
# Prodle's benchmark (not a test: it prints figures, and passes or fails nothing). Installs what is
# missing, builds the 32-bit prodle.exe and the bench's own programs (an empty tray program as the
# yardstick, and a probe that clicks and times the form), and runs bench/bench.py in a network namespace
# of its own on a virtual display. About four minutes. The table goes to stdout and to
# build-i686/bench/latest.md; the figures are noisy while the machine is busy: run it more than once.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

PACKAGES="$PACKAGES curl"
install_missing
build i686 OFF prodle baseline probe >/dev/null
ensure_prefix i686

build="$ROOT/build-i686"
# The bench starts a Wine server of its own inside the namespace (the server makes the sockets).
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
version="$(git -C "$ROOT" log -1 --format='commit %h (%cs) "%s"' 2>/dev/null || echo 'prodle.exe')"
"$ROOT/scripts/isolated.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    python3 "$ROOT/bench/bench.py" --build "$build" --out "$build/bench/latest.md" --program-version "$version"
