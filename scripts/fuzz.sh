#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build/fuzz) and runs each for SECONDS (default 60), one after
# the other. Each starts from its seed corpus in tests/fuzz/corpus plus what earlier runs added
# (build/fuzz/corpus). An input that breaks a property or crashes is saved in build/fuzz/findings
# and fails the script. Usage: bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz
targets=(fuzz_frames fuzz_text_file fuzz_xml_packet)

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVXM_FUZZ=ON -DVXM_SANITIZE=ON -DVXM_BUILD_TESTS=OFF -DVXM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1
             -artifact_prefix="$build/findings/$target-")
    dict="tests/fuzz/${target#fuzz_}.dict"
    [ -f "$dict" ] && options+=(-dict="$dict")
    echo "== $target for ${seconds}s"
    "$build/tests/fuzz/$target" "${options[@]}" "$corpus" "tests/fuzz/corpus/$target"
done
