#!/usr/bin/env bash
# Builds the Debug configuration with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test headless; then builds the HID tests once more under ThreadSanitizer (the
# reader threads and their hand-over) and runs them, where any report fails the run. Warnings
# are errors here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVXM_SANITIZE=ON -DVXM_WERROR=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVXM_TSAN=ON -DVXM_WERROR=ON \
    -DVXM_BUILD_BENCH=OFF
cmake --build "$tsan" --target hid_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$tsan/tests/link/hid" --output-on-failure -j "$(nproc)"
