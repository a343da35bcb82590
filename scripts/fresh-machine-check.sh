#!/usr/bin/env bash
# Runs the CI entry point in a brand-new Debian 12 system (a debootstrap chroot), so that an
# install step missing from setup.sh shows up before a new machine finds it. Needs root and
# Debian's package mirror. Usage: sudo bash scripts/fresh-machine-check.sh [ROOTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/tmp/vxm90-fresh}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
if [ ! -x "$root/bin/bash" ]; then
    debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mounts=(proc sys dev dev/pts)
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cleanup() {
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "$root/${mounts[i]}" || true; done
}
trap cleanup EXIT

rm -rf "$root/work" && mkdir -p "$root/work"
git clone -q . "$root/work/main"
[ -d ../shared ] && cp -r ../shared "$root/work/shared"
chroot "$root" /bin/bash -c 'cd /work/main && CI=true bash .ci/run'
