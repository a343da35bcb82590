#!/usr/bin/env bash
# Runs the window under a virtual X server with the simulated meter's packets, clicks its
# print button as a user would and writes a PNG of the screen with the print preview open
# beside the window (default docs/preview.png). VXM_BUILD_DIR picks the Release build
# directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/preview.png}
build=${VXM_BUILD_DIR:-build/release}
VXM_BUILD_DIR=$build bash scripts/build-release.sh --target vxm90-dev vxm90-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/cli/vxm90-cli" sim --rate 0 --count 60 --seed 7 >"$work/feed.bin"

cat >"$work/shoot.sh" <<SHOT
#!/usr/bin/env bash
set -euo pipefail
XDG_STATE_HOME="$work/state" VXM90_FEED_FILE="$work/feed.bin" "$PWD/$build/app/vxm90-dev" &
pid=\$!
sleep 6
window=\$(xdotool search --sync --name "VXM-90 Interface Program" | head -n 1)
# The print button: the log bar lies at (4, 216) of the client area, the button at (275, 12)
# in it; the menu bar stands above the client area.
menu=\$(( \$(xdotool getwindowgeometry --shell "\$window" | sed -n 's/^HEIGHT=//p') - 509 ))
xdotool mousemove --window "\$window" \$((4 + 275 + 11)) \$((menu + 216 + 12 + 10)) click 1
preview=\$(xdotool search --sync --name "Print Preview" | head -n 1)
# No window manager places them: side by side.
xdotool windowmove "\$window" 10 200 windowmove "\$preview" 700 10
sleep 3
import -window root "$work/screen.png"
kill \$pid
wait \$pid 2>/dev/null || true
SHOT
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 1480x1000x24" "$work/shoot.sh"
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -trim +repage "$out"
echo "wrote $out"
