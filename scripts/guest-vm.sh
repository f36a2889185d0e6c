# Sourced by scripts/guest-image.sh and scripts/test32.sh: boots the test
# guest with QEMU and waits for it to power off. The guest's init runs
# job.sh from a folder of the host shared with it (9p, tag "share") and
# powers the machine off when the job ends.

# KVM when it really runs a guest, else software emulation (TCG). A
# readable /dev/kvm is not enough: on some virtual machines a VM can be
# created but the guest kernel never gets past its first instructions. The
# probe boots the guest kernel alone; it reaches its panic ("no root file
# system") within seconds when KVM works, and says nothing at all when not.
guest_vm_accel() {
  local kernel=$1 log
  if [ -n "${GUEST_VM_ACCEL:-}" ]; then return; fi
  GUEST_VM_ACCEL=tcg
  if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
    log=$(mktemp)
    # In a subshell of its own, which also takes the shell's notice when
    # QEMU aborts (it does where KVM cannot set up the CPU).
    (timeout -k 5 15 qemu-system-x86_64 -enable-kvm -cpu host -M q35 -m 256M -smp 1 \
      -nodefaults -no-user-config -display none -no-reboot -serial "file:$log" \
      -kernel "$kernel" -append "console=ttyS0 panic=-1"; exit 0) >/dev/null 2>&1
    grep -q 'Kernel panic' "$log" && GUEST_VM_ACCEL=kvm
    rm -f "$log"
  fi
  export GUEST_VM_ACCEL
}

# guest_vm_boot IMAGE_DIR SHARE_DIR SECONDS MODE CONSOLE_LOG
# MODE "snapshot" throws the guest's writes to its disk away at power-off;
# "persist" keeps them (the image's last build step). Returns 0 when the
# guest powered off by itself, 124 when it had to be stopped after SECONDS.
guest_vm_boot() {
  local image=$1 share=$2 seconds=$3 mode=$4 console=$5 drive status
  guest_vm_accel "$image/vmlinuz"
  local accel=(-accel tcg,thread=multi -cpu max,-smap)
  # QEMU 7.2's emulation faults an IRETQ to user mode when SMAP is on, and
  # 64-bit Wine returns from every system call with one: SMAP stays off.
  [ "$GUEST_VM_ACCEL" = kvm ] && accel=(-enable-kvm -cpu host)
  drive="file=$image/root.img,if=virtio,format=raw,cache=unsafe"
  [ "$mode" = snapshot ] && drive+=",snapshot=on"
  echo "guest: booting ($GUEST_VM_ACCEL, at most ${seconds}s)"
  # Started in the background and waited for, so that an interrupted run
  # can stop it (guest_vm_stop) instead of leaving it running.
  timeout -k 10 "$seconds" qemu-system-x86_64 "${accel[@]}" -M q35 -smp "${GUEST_VM_CPUS:-2}" \
    -m "${GUEST_VM_MEMORY:-3G}" -nodefaults -no-user-config -display none -no-reboot \
    -serial "file:$console" -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw init=/sbin/vh-init quiet panic=-1" \
    -drive "$drive" \
    -virtfs "local,path=$share,mount_tag=share,security_model=none,id=share" &
  GUEST_VM_PID=$!
  wait "$GUEST_VM_PID"
  status=$?
  GUEST_VM_PID=
  return "$status"
}

guest_vm_stop() {
  if [ -n "${GUEST_VM_PID:-}" ]; then
    kill "$GUEST_VM_PID" 2>/dev/null || true
    wait "$GUEST_VM_PID" 2>/dev/null || true
    GUEST_VM_PID=
  fi
}
