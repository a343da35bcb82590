#!/usr/bin/env bash
# Builds the Release configuration and runs every benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-release.sh
for b in build/release/bench/*/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    QT_QPA_PLATFORM=offscreen "$b" "$@"
done
