#!/usr/bin/env bash
# Runs the window under a virtual X server, feeds it the simulated meter's packets through the
# serial handler and writes a PNG of the window (default docs/screenshot.png). VXM_BUILD_DIR
# picks the Release build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${VXM_BUILD_DIR:-build/release}
VXM_BUILD_DIR=$build bash scripts/build-release.sh --target vxm90-dev vxm90-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 60 packets of the simulator's walk: DC volts on its ranges, the first steps of the tour.
"$build/cli/vxm90-cli" sim --rate 0 --count 60 --seed 7 >"$work/feed.bin"

cat >"$work/shoot.sh" <<SHOT
#!/usr/bin/env bash
set -euo pipefail
VXM90_FEED_FILE="$work/feed.bin" "$PWD/$build/app/vxm90-dev" &
pid=\$!
sleep 8
import -window root "$work/screen.png"
kill \$pid
wait \$pid 2>/dev/null || true
SHOT
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 800x600x24" "$work/shoot.sh"
# The window is centred on the 800 x 600 screen; without a window manager it has no frame.
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -trim +repage "$out"
echo "wrote $out"
