#!/usr/bin/env bash
# Runs the benchmarks and prints a table: each program measures the real code against a
# bare loop of the same platform calls (a ratio), or the store's peak memory, or compares
# the start-up of the release build with the test build's. The Windows
# ones run under Wine against the test desktop, in a private Xvfb. Figures, not tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh >/dev/null
# A screen tall enough for the benchmarks' icon grids: a place no monitor shows would be
# brought onto the screen, and icons stacked at its edge paint very slowly.
export TORVINEL_XVFB_SIZE=${TORVINEL_XVFB_SIZE:-1280x5120}
source scripts/xvfb.sh
use_private_xvfb

prefix=$PWD/build/windows/wineprefix
wine_sh=cmake/wine.sh
log=$(mktemp)
trap '"$wine_sh" "$prefix" stop; rm -f "$log"; kill ${TORVINEL_XVFB_PID:-0} 2>/dev/null || true' EXIT
"$wine_sh" "$prefix" start

run() {  # run PROGRAM...: show its output, keep its BENCH lines
    echo "== $*"
    "$@" 2>&1 | tr -d '\r' | tee -a "$log" | grep -v '^BENCH '
}
run build/native/tests/store/store_memory_bench
run "$wine_sh" "$prefix" exec build/windows/tests/store/persistence_bench.exe
run "$wine_sh" "$prefix" exec build/windows/tools/bench/bench_capture.exe
run "$wine_sh" "$prefix" exec build/windows/tools/bench/bench_restore.exe
run "$wine_sh" "$prefix" exec build/windows/tools/bench/bench_snapshot.exe
run "$wine_sh" "$prefix" exec build/windows/tools/bench/bench_press.exe
run "$wine_sh" "$prefix" exec build/windows/tools/bench/bench_startup.exe

echo
echo "| benchmark | ours | bare loop | ratio | target |"
echo "|---|---|---|---|---|"
awk '/^BENCH / {
    if (NF == 4) { printf "| %s | %s %s | | | |\n", $2, $3, $4; next }
    name = $2; for (k = 3; k <= NF - 4; ++k) name = name " " $k
    printf "| %s | %s ms | %s ms | %sx | <= %sx |\n", name, $(NF-3), $(NF-2), $(NF-1), $NF
}' "$log"
