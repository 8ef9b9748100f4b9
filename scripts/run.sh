#!/usr/bin/env bash
# Installs what is missing, builds Prodle and starts it under Wine. Without a display of your own,
# it runs on a virtual one (Xvfb), where its tray icon sits in Wine's system tray window.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing
arch="$(test_arch)"
build "$arch" OFF prodle
ensure_prefix "$arch"

exe="$ROOT/build-$arch/prodle.exe"
echo "== Starting $exe"
if [ -n "${DISPLAY:-}" ]; then
    exec "$ROOT/build-$arch/wine-run" "$exe"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$ROOT/build-$arch/wine-run" "$exe"
