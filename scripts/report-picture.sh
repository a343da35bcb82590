#!/usr/bin/env bash
# Writes page 1 of the printed report of the simulated meter's readings as a PNG (default
# docs/report-page.png): vxm90-cli report makes the PDF, poppler's pdftoppm renders it.
# VXM_BUILD_DIR picks the Release build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/report-page.png}
build=${VXM_BUILD_DIR:-build/release}
VXM_BUILD_DIR=$build bash scripts/build-release.sh --target vxm90-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli="$build/cli/vxm90-cli"
# The simulator's tour: DC and AC volts, ohms with overloads (a Fail each), millivolts.
"$cli" sim --rate 0 --count 60 --seed 7 | "$cli" log --out "$work/log.txt" >/dev/null
"$cli" report "$work/log.txt" "$work/report.pdf"
pdftoppm -png -r 72 -f 1 -l 1 -singlefile "$work/report.pdf" "$work/page"
mkdir -p "$(dirname "$out")"
cp "$work/page.png" "$out"
echo "wrote $out"
