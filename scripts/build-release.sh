#!/usr/bin/env bash
# Configures and builds the optimised configuration. Arguments go to `cmake --build`
# (for example `--target vxm90 vxm90-cli`); without them everything is built. VXM_BUILD_DIR
# picks the build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${VXM_BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVXM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" "$@"
