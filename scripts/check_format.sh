#!/usr/bin/env bash
# The C++ sources have one formatting, .clang-format's: the test command fails on a file that differs.
# To format them: clang-format -i $(git ls-files '*.cpp' '*.h')
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests fuzz bench -name '*.cpp' -o -name '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/prodle-format.$$; then
    echo "!! These sources differ from .clang-format's formatting (clang-format -i <file> mends them):" >&2
    grep -oE '^[^:]+\.(cpp|h)' /tmp/prodle-format.$$ | sort -u >&2
    rm -f /tmp/prodle-format.$$
    exit 1
fi
rm -f /tmp/prodle-format.$$
echo "== ${#files[@]} C++ sources in .clang-format's formatting"
