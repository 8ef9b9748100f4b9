#!/usr/bin/env bash
# Builds the rules natively with clang, runs their unit tests under the
# sanitizers, then runs every libFuzzer harness for a bounded time.
#   scripts/fuzz.sh [seconds per harness]     (default 5; also FUZZ_SECS)
# Exits non-zero on a failing test or on any fuzzer finding; the crashing
# input is left in build-fuzz/findings/<harness>/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECS="${1:-${FUZZ_SECS:-5}}"
BUILD="$ROOT/build-fuzz"
# One harness per fuzz/fuzz_*.cpp, each with its seed corpus in fuzz/corpus/<harness>/.
HARNESSES="$(cd "$ROOT/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')"

# libFuzzer ships in clang's runtime package.
if ! command -v clang++ >/dev/null 2>&1 || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    if [ "$(id -u)" = 0 ]; then
        apt-get install -y --no-install-recommends clang libclang-rt-14-dev
    else
        echo "fuzz.sh: clang and libclang-rt-14-dev are needed (apt-get install them as root)" >&2
        exit 2
    fi
fi

CC=clang CXX=clang++ cmake -S "$ROOT/fuzz" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && ctest --output-on-failure)

status=0
for harness in $HARNESSES; do
    work="$(mktemp -d)"
    cp -R "$ROOT/fuzz/corpus/$harness/." "$work/"
    findings="$BUILD/findings/$harness"
    mkdir -p "$findings"
    echo "== $harness: ${SECS}s"
    if ! (cd "$findings" && "$BUILD/$harness" -max_total_time="$SECS" -print_final_stats=1 "$work" \
            >"$BUILD/$harness.log" 2>&1); then
        echo "!! $harness found a problem, see $BUILD/$harness.log and $findings" >&2
        tail -n 40 "$BUILD/$harness.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done ' "$BUILD/$harness.log" || true
    rm -rf "$work"
done
exit $status
