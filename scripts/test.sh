#!/usr/bin/env bash
# Builds the Debug configuration with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test headless. Warnings are errors here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVXM_SANITIZE=ON -DVXM_WERROR=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
