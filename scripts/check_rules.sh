#!/usr/bin/env bash
# The portable parts of the program build on any system: the keep-alive engine (src/engine/) may include
# the C++ standard library, itself and the rules; the rules (every src/*/rules/ folder) the standard
# library and other rules. A Windows header there (or any other system header) fails the test command
# here, before the native build would fail on it less plainly.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
standard='<[a-z_]+>'
bad=$( (grep -nE '^[[:space:]]*#[[:space:]]*include' src/*/rules/*.h src/*/rules/*.cpp |
        grep -vE "#[[:space:]]*include[[:space:]]*($standard|\"[a-z]+/rules/[a-z_]+\\.h\")" || true
       grep -nE '^[[:space:]]*#[[:space:]]*include' src/engine/*.h src/engine/*.cpp |
        grep -vE "#[[:space:]]*include[[:space:]]*($standard|\"engine/[a-z_]+\\.h\"|\"[a-z]+/rules/[a-z_]+\\.h\")" || true) )
if [ -n "$bad" ]; then
    echo "!! The engine may include only the standard library, itself and the rules; the rules only the" >&2
    echo "   standard library and other rules:" >&2
    echo "$bad" >&2
    exit 1
fi
echo "== The engine and the portable rules include only the standard library, the engine and the rules"
