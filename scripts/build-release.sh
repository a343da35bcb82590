#!/usr/bin/env bash
# Configures and builds the optimised configuration. Arguments go to `cmake --build`
# (for example `--target vxm90 vxm90-cli`); without them everything is built.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVXM_BUILD_TESTS=OFF >/dev/null
cmake --build build/release "$@"
