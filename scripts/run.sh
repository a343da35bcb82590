#!/usr/bin/env bash
# Builds the optimised program and opens its window with the simulated meter twice over: on a
# pseudo-terminal bound to COM 1, and behind the simulated USB cable listed beside the system's
# HID devices. Click "COM Connection" or "USB Connection" and readings arrive. The simulator
# stops when the window closes.
# With VXM90_COM1 already set (a real meter, e.g. VXM90_COM1=/dev/ttyUSB0) nothing is
# simulated unless VXM90_SIMULATED_CABLE=1 asks for the cable; VXM90_SIMULATED_CABLE=0 leaves
# the simulated cable out. A real USB cable is listed after the simulated one, so it is the one
# "USB Connection" uses when it is plugged in.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the two programs it starts; the benchmarks are built by scripts/bench.sh.
bash scripts/build-release.sh --target vxm90 vxm90-cli

if [ -z "${VXM90_COM1:-}" ]; then
    export VXM90_SIMULATED_CABLE=${VXM90_SIMULATED_CABLE:-1}
    sim_out=$(mktemp)
    build/release/cli/vxm90-cli sim --pty >"$sim_out" &
    sim_pid=$!
    trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -f "$sim_out"' EXIT
    trap 'exit 130' INT TERM
    # The simulator's first line is the path of its pseudo-terminal; read succeeds only on a
    # whole line.
    device=""
    for _ in $(seq 50); do
        if read -r device <"$sim_out"; then break; fi
        device=""
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$device" ]; then
        echo "run.sh: the simulated meter did not start" >&2
        exit 1
    fi
    export VXM90_COM1="$device"
    echo "Simulated meter on $device as COM 1: click \"COM Connection\" to see its readings."
fi
if [ "${VXM90_SIMULATED_CABLE:-0}" != 0 ]; then
    echo "Simulated USB cable listed: click \"USB Connection\" to see its readings."
fi
build/release/app/vxm90
