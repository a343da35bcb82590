#!/usr/bin/env bash
# Installs the udev rule that gives the logged-in user access to the meter's USB cable (its
# hidraw node; without it the node is root's only), and reloads udev so that the rule applies
# to a cable plugged in now. Uses sudo when not run as root. VXM90_UDEV_RULES_DIR picks the
# folder (default /etc/udev/rules.d, the local administrator's rules).
set -euo pipefail
cd "$(dirname "$0")/.."
rule=resources/linux/70-vxm90-usb-cable.rules
rules_dir=${VXM90_UDEV_RULES_DIR:-/etc/udev/rules.d}
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

"${sudo_cmd[@]}" install -D -m 0644 "$rule" "$rules_dir/$(basename "$rule")"
echo "installed $rules_dir/$(basename "$rule")"
if command -v udevadm >/dev/null 2>&1; then
    "${sudo_cmd[@]}" udevadm control --reload-rules
    "${sudo_cmd[@]}" udevadm trigger --subsystem-match=hidraw --action=change
    echo "udev reloaded: a plugged-in cable is now yours while you are logged in"
else
    echo "install-udev-rule.sh: udevadm not found; the rule applies once udev runs" >&2
fi
