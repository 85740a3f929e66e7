# Sourced by the guest scripts: starts the emulated x86-64 machine of an image folder made by
# build-image, with a job disk whose .zm-guest/job the guest's init runs (scripts/guest/init).
#
#   guest_machine <image folder> <job disk> <mount path of the job disk> [--keep-root]
#
# The root disk is used as a snapshot and left unchanged, unless --keep-root asks to keep what
# the job wrote there (build-image uses that to boot Wine's prefix once, into the image).
# A guest that hangs is switched off after 70 minutes, inside CI's 90 (its tests take half an
# hour to an hour under software emulation).
# Software emulation by default: on the machines this runs on, /dev/kvm may be there and yet
# hang the guest before its first word. ZM_GUEST_ACCEL=kvm asks for hardware virtualisation.
guest_machine() {
  local image=$1 disk=$2 mount_path=$3 snapshot=on
  [[ ${4:-} == --keep-root ]] && snapshot=off
  local accel=(-accel tcg,thread=multi)
  [[ ${ZM_GUEST_ACCEL:-tcg} == kvm ]] && accel=(-accel kvm)
  # The plain 64-bit processor: Wine starts twice as fast on it as on -cpu max, whose vector
  # instructions are slow to emulate (and plain -cpu max, with SMAP, kills every 32-bit Windows
  # process with an oops at a 32-bit iret).
  timeout --foreground 70m qemu-system-x86_64 "${accel[@]}" -cpu qemu64 -smp 2 -m 6144 \
    -display none -monitor none -serial stdio -nic none -no-reboot \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw quiet loglevel=3 init=/usr/local/sbin/zm-guest-init zm.tree=$mount_path" \
    -drive "file=$image/root.img,if=virtio,format=raw,snapshot=$snapshot" \
    -drive "file=$disk,if=virtio,format=raw" </dev/null | sed -u 's/\r$//'
}

# The exit status the job left on its disk, or nothing when it never finished.
guest_job_status() {
  debugfs -R "cat /.zm-guest/status" "$1" 2>/dev/null | tr -dc '0-9'
}
