#!/usr/bin/env bash
# Builds the optimised program and runs it. Until the window lands, the main job is the
# command-line decoder fed by the simulated meter.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-release.sh
build/release/cli/vxm90-cli sim --rate 0 --count 12 | build/release/cli/vxm90-cli decode
