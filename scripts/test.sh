#!/usr/bin/env bash
# Builds the Debug configuration with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test headless; then builds the suites that run HID reader threads once more under
# ThreadSanitizer (the HID layer with its hand-over, the USB connection, the window and the
# command line over the cable) and runs them, where any report fails the run. Warnings are
# errors here.
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
cmake --build "$tsan" --target hid_tests usb_connection_tests usb_end_to_end_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
for suite in tests/link/hid tests/usb; do
    ctest --test-dir "$tsan/$suite" --output-on-failure -j "$(nproc)"
done
