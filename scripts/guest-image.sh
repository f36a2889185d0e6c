#!/usr/bin/env bash
# Builds the guest that scripts/test32.sh boots: Debian bookworm amd64 with
# i386 multiarch, 64-bit and 32-bit Wine, Xvfb, the ru_RU.UTF-8 locale,
# ImageMagick and a kernel; and in it a 64-bit Wine prefix made by
# wine_env_start, which later runs copy instead of booting their own.
#
#   guest-image.sh DIR   -> DIR/vmlinuz, DIR/initrd.img, DIR/root.img
#
# This file is the recipe: the guest is built again only when this file
# changes (DIR/recipe holds the checksum of the one it was built from).
# wine_env_start applies its settings to the copied prefix at every run, so
# that changes to scripts/wine-env.sh need no new guest.
# Needs root, debootstrap and qemu-system-x86. The packages come from the
# Debian mirrors that this machine's own apt sources name, unless
# VH_GUEST_MIRROR and VH_GUEST_SECURITY_MIRROR name others.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "$1")
recipe=$(sha256sum scripts/guest-image.sh | cut -d' ' -f1)

if [ "$(cat "$out/recipe" 2>/dev/null)" = "$recipe" ] &&
   [ -f "$out/vmlinuz" ] && [ -f "$out/initrd.img" ] && [ -f "$out/root.img" ]; then
  echo "guest: cached in $out"
  exit 0
fi

if [ -z "${VH_GUEST_MIRROR:-}" ] || [ -z "${VH_GUEST_SECURITY_MIRROR:-}" ]; then
  source scripts/apt-sources.sh
  apt_debian_mirrors || exit 1
fi
mirror=${VH_GUEST_MIRROR:-$APT_DEBIAN_MIRROR}
security=${VH_GUEST_SECURITY_MIRROR:-$APT_SECURITY_MIRROR}
packages=(linux-image-amd64 wine wine32:i386 wine64 xvfb locales imagemagick fonts-liberation
          kmod iproute2 procps)
work=$out.new
root=$work/root
started=$SECONDS
step() { printf 'guest: %s (%ds)\n' "$*" $((SECONDS - started)); }

# The file system being built gets /proc mounted while packages install;
# nothing below it may be deleted while anything is mounted there.
unmount_all() {
  local m
  for m in $(awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
}
remove_work() {
  unmount_all
  if awk -v r="$root/" 'index($2, r) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
    echo "guest: $root still has mounts; not removing it" >&2
    return 1
  fi
  rm -rf "$work"
}
trap unmount_all EXIT
# Stopped by a signal, the script still runs its EXIT trap.
trap 'exit 130' INT
trap 'exit 143' TERM

remove_work
mkdir -p "$work"
step "debootstrap bookworm (amd64, minbase)"
debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; exit 1; }

cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
# No services start inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
# A small initramfs: the guest's disk is virtio, its file system ext4.
mkdir -p "$root/etc/initramfs-tools/conf.d"
printf 'MODULES=list\nCOMPRESS=gzip\n' >"$root/etc/initramfs-tools/conf.d/guest"
printf 'virtio_pci\nvirtio_blk\next4\n' >"$root/etc/initramfs-tools/modules"

step "installing ${packages[*]}"
mount -t proc proc "$root/proc"
chroot "$root" /bin/sh -c "
  dpkg --add-architecture i386 && apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ${packages[*]}
" >"$work/packages.log" 2>&1 || { tail -30 "$work/packages.log"; exit 1; }
sed -i 's/^# *ru_RU.UTF-8/ru_RU.UTF-8/' "$root/etc/locale.gen"
chroot "$root" locale-gen >>"$work/packages.log" 2>&1
chroot "$root" apt-get clean
umount "$root/proc"
rm -rf "$root"/var/lib/apt/lists/* "$root"/usr/share/doc/* "$root"/usr/share/man/*
echo guest >"$root/etc/hostname"
printf '127.0.0.1 localhost\n127.0.1.1 guest\n' >"$root/etc/hosts"

# The guest's first process: mounts what Wine and the tests need and the
# shared folder, runs its job.sh, and powers the machine off.
cat >"$root/sbin/vh-init" <<'EOF'
#!/bin/bash
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root USER=root
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname guest
ip link set lo up
modprobe 9pnet_virtio && modprobe 9p
mkdir -p /mnt/share
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 share /mnt/share &&
   [ -f /mnt/share/job.sh ]; then
  echo "guest: running job.sh"
  (cd /mnt/share && bash ./job.sh)
  echo "guest: job.sh ended with $?"
else
  echo "guest: no shared folder or no job.sh"
fi
sync
umount /mnt/share
echo o >/proc/sysrq-trigger
sleep 60
EOF
chmod +x "$root/sbin/vh-init"

cp "$(ls "$root"/boot/vmlinuz-* | sort -V | tail -1)" "$work/vmlinuz"
cp "$(ls "$root"/boot/initrd.img-* | sort -V | tail -1)" "$work/initrd.img"
step "file system image"
# Sparse: it takes only what is written. Room for the prefix and the tests.
mke2fs -q -t ext4 -L guest -d "$root" -E root_owner=0:0 "$work/root.img" 8G >/dev/null
rm -rf "$root"

# The Wine prefix, made in the guest: making one runs 32-bit programs,
# which this host's kernel may not run.
step "a 64-bit Wine prefix, made in the guest (several minutes without KVM)"
share=$work/share
mkdir -p "$share"
cp scripts/wine-env.sh "$share/"
cat >"$share/job.sh" <<'EOF'
set -u
source ./wine-env.sh
export WINE_ENV_WOW64=1
# A bare prefix first, waited for until every process of it has ended:
# wineboot returns before the 32-bit half of a WOW64 prefix is installed,
# and under emulation that takes minutes. Stopping the wineserver earlier
# leaves a syswow64 without most of its DLLs (msvcrt.dll among them), in
# which no 32-bit program starts.
wine_env_detect
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=/opt/vh/base
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w
WINE_ENV_TEMPLATE=/opt/vh/base wine_env_start /opt/vh
made=no
syswow64=/opt/vh/prefix/drive_c/windows/syswow64
[ "$WINE_ENV_BITS" = 64 ] && [ -f /opt/vh/prefix/system.reg ] &&
  [ -f "$syswow64/msvcrt.dll" ] && [ -f "$syswow64/sechost.dll" ] && made=yes
echo "guest: $(ls "$syswow64" | wc -l) files in syswow64"
wine_env_stop
rm -rf /opt/vh/base
rm -f /opt/vh/*.log
[ "$made" = yes ] && touch provisioned
EOF
source scripts/guest-vm.sh
trap 'guest_vm_stop; unmount_all' EXIT
guest_vm_boot "$work" "$share" 2400 persist "$work/provision.log" || true
if [ ! -f "$share/provisioned" ]; then
  echo "guest: making the Wine prefix failed; the guest's console:" >&2
  tail -30 "$work/provision.log" >&2
  exit 1
fi
rm -rf "$share"

echo "$recipe" >"$work/recipe"
rm -rf "$out"
mv "$work" "$out"
step "built in $out"
