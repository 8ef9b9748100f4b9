#!/usr/bin/env bash
# Builds the engine and the rules natively with clang, runs their unit tests
# under the sanitizers, the engine's model test (random event orders) for a
# bounded time, then every libFuzzer harness for a bounded time.
#   scripts/fuzz.sh [seconds per harness]     (default 5; also FUZZ_SECS)
# The model test runs for MODEL_SECS seconds (default 30). Exits non-zero on a
# failing test or on any fuzzer finding; the crashing input is left in
# build-fuzz/findings/<harness>/.
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

CC=clang CXX=clang++ cmake -S "$ROOT/tests/native" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && ctest --output-on-failure)

MODEL_SECS="${MODEL_SECS:-30}"
echo "== The engine's model test: ${MODEL_SECS}s of random event orders"
MODEL_SECONDS="$MODEL_SECS" "$BUILD/engine_tests" --gtest_filter='Model.*' --gtest_brief=1

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
