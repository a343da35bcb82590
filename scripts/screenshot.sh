#!/usr/bin/env bash
# Runs the window under a virtual X server and writes a PNG of it. By default the simulated
# meter's packets are fed through the serial handler (docs/screenshot.png); with --usb the
# simulated USB cable is connected as by a click on "USB Connection" and its readings come in
# real time through the cable's reader thread (docs/screenshot-usb.png). Usage:
#   bash scripts/screenshot.sh [--usb] [OUT]
# VXM_BUILD_DIR picks the Release build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
link=serial
if [ "${1:-}" = --usb ]; then
    link=usb
    shift
fi
if [ "$link" = usb ]; then out=${1:-docs/screenshot-usb.png}; else out=${1:-docs/screenshot.png}; fi
build=${VXM_BUILD_DIR:-build/release}
VXM_BUILD_DIR=$build bash scripts/build-release.sh --target vxm90-dev vxm90-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$link" = usb ]; then
    # The cable's meter sends 2.5 packets a second: about 30 readings in 12 s.
    program_env="VXM90_SIMULATED_CABLE=1 VXM90_CONNECT_USB=1"
    wait_s=12
else
    # 60 packets of the simulator's walk: DC volts on its ranges, the first steps of the tour.
    "$build/cli/vxm90-cli" sim --rate 0 --count 60 --seed 7 >"$work/feed.bin"
    program_env="VXM90_FEED_FILE=$work/feed.bin"
    wait_s=8
fi

cat >"$work/shoot.sh" <<SHOT
#!/usr/bin/env bash
set -euo pipefail
# The shot ends the program with a signal; its recovery journal stays in the scratch folder.
XDG_STATE_HOME="$work/state" env $program_env "$PWD/$build/app/vxm90-dev" &
pid=\$!
sleep $wait_s
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
