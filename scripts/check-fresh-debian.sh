#!/usr/bin/env bash
# Checks that the README's test command passes on a minimal fresh Debian:
# a `debootstrap --variant=minbase bookworm` root under build/fresh-debian
# with g++, cmake, make, git and python3 added, this branch's last commit
# cloned into it, and `bash scripts/test.sh` run there as root. Prints the
# test command's summary and the time each stage took; the chroot's log is
# build/fresh-debian.log. Run as root; it fetches the packages from the
# Debian mirrors that this machine's own apt sources name.
# Uncommitted changes are not tested.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
root=$top/build/fresh-debian
log=$top/build/fresh-debian.log
mounts=(proc sys dev dev/pts dev/shm)

unmount() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    if mountpoint -q "$root/${mounts[i]}"; then
      umount "$root/${mounts[i]}" || umount -l "$root/${mounts[i]}"
    fi
  done
}

# Processes whose root is the chroot: the test command must leave none.
left_behind() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && echo "${p#/proc/}"
  done
  return 0
}

source scripts/apt-sources.sh
apt_debian_mirrors || exit 1
mirror=$APT_DEBIAN_MIRROR

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null
mkdir -p "$top/build"
unmount
if grep -q " $root/" /proc/mounts; then
  echo "still mounted under $root: not removing it"; exit 1
fi
rm -rf --one-file-system "$root"
trap unmount EXIT

SECONDS=0
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$log" 2>&1 ||
  { tail -20 "$log"; exit 1; }
echo "debootstrap: $SECONDS s"

mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind /dev/shm "$root/dev/shm"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A fresh installation also has the updates and security suites.
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $APT_SECURITY_MIRROR bookworm-security main
EOF

SECONDS=0
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root bash -c \
  'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq g++ cmake make git python3' \
  >>"$log" 2>&1 || { tail -20 "$log"; exit 1; }
echo "g++, cmake, make, git, python3: $SECONDS s"

git clone -q --branch "$(git rev-parse --abbrev-ref HEAD)" "$top" "$root/root/varnholde"
echo "testing commit $(git -C "$root/root/varnholde" log --oneline -1)"

SECONDS=0
status=0
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb \
  bash -c 'cd /root/varnholde && bash scripts/test.sh' >>"$log" 2>&1 || status=$?
echo "bash scripts/test.sh in the chroot: exit status $status, $((SECONDS / 60)) min $((SECONDS % 60)) s"
grep -aE 'passed, [0-9]+ failed$|^took ' "$log" | tail -2

left=$(left_behind)
if [ -n "$left" ]; then
  echo "left running in the chroot:"
  for p in $left; do ps -o pid=,args= -p "$p" || true; done
  status=1
fi
exit "$status"
