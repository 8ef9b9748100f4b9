#!/usr/bin/env bash
# The portable rules (every src/*/rules/ folder) build on any system: they may include the C++ standard
# library and other rules, nothing else. A Windows header there (or any other system header) fails the
# test command here, before the native build would fail on it less plainly.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
bad=$(grep -nE '^[[:space:]]*#[[:space:]]*include' src/*/rules/*.h src/*/rules/*.cpp |
      grep -vE '#[[:space:]]*include[[:space:]]*(<[a-z_]+>|"[a-z]+/rules/[a-z_]+\.h")' || true)
if [ -n "$bad" ]; then
    echo "!! The portable rules may include only the standard library and other rules:" >&2
    echo "$bad" >&2
    exit 1
fi
echo "== Portable rules include only the standard library and other rules"
