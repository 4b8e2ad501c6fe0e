#!/usr/bin/env bash
# Fuzzes the loading of stored layouts: builds tests/store/fuzz_load_layouts.cpp with
# clang++ and libFuzzer (ASan+UBSan) against the native registry stand-in and runs it.
#   scripts/fuzz-load.sh [RUNS]     RUNS executions, default 20000
# Build dir: $FUZZ_BUILD_DIR or build-fuzz/. Exits non-zero on any finding (crash, leak,
# timeout over 1 s, memory over 512 MB, failed check); the input is kept in the build dir.
set -euo pipefail
runs=${1:-20000}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
bin=$out/fuzz_load_layouts
mkdir -p "$out/corpus"
# A seed the fuzzer hardly finds alone: a layout whose icons are named, placed and given
# a path, the checks made to match (the last byte's high bit; see the target).
seed=$out/corpus/seed-layout-with-paths
[[ -e $seed ]] || printf '%b' '\x00\x00\x00\x02\x00\x00\x00\x22\x00\x00\x02a\x00\x05\x00\x00\x02\x00\x00\x00\x07\x00\x00\x0a\x00\x14\x00\x29\x00\x00\x02n\x00\x07\x00\x01\x0b\x00\x15\x00\x2b\x00\x01\x06x\x00\xe9\x00\x00\x80' >"$seed"

sources=(tests/store/fuzz_load_layouts.cpp store/icon_name.cpp store/layout_store.cpp
         store/wide_text.cpp store/profile_store.cpp
         store/layout_format.cpp store/layout_persistence.cpp
         fakes/registry/registry_stub.cpp
         fakes/registry/profile_files_stub.cpp)
cd "$root"
if [[ ! -x $bin || -n $(find store win fakes/registry tests/store/fuzz_load_layouts.cpp \
        scripts/fuzz-load.sh -newer "$bin" -print -quit) ]]; then
    echo "fuzz-load: building $bin"
    clang++ -std=c++17 -O1 -g -Wall -Wextra -Werror -I"$root" -I"$root/fakes/registry/include" \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        "${sources[@]}" -o "$bin"
fi
"$bin" -runs="$runs" -timeout=1 -rss_limit_mb=512 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus"
