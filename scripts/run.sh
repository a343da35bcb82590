#!/usr/bin/env bash
# Builds the optimised program and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-release.sh
exec build/release/app/vxm90
