#!/usr/bin/env bash
# Builds the two programs in the Release configuration and packs them, with the USB cable's
# udev rule, the desktop entry and the icon, into a Debian package in build/release; then lists
# what the package holds.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VXM_BUILD_DIR:-build/release}
VXM_BUILD_DIR=$build bash scripts/build-release.sh --target vxm90 vxm90-cli
(cd "$build" && cpack -G DEB)
deb=$(ls -t "$build"/vxm90_*.deb | head -n 1)
dpkg-deb -c "$deb"
echo "wrote $deb"
