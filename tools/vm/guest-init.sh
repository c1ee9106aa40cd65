#!/bin/busybox sh
# The test virtual machine's first process (the initramfs's /init). It loads
# the USB gadget, HID and infrared drivers, makes the host's root file system
# (shared read-only over 9p) the guest's root with writable scratch folders,
# runs the job the host left in the output share, and powers the guest off.
# Nothing here may wait for ever: the host kills the guest at its timeout, but
# an early power-off gives a clearer message.
/bin/busybox --install -s /bin
export PATH=/bin

say() { echo "vm-init: $*" >/dev/console; }
fail() {
  say "$*"
  [ -d /mnt/out ] && echo "$*" >>/mnt/out/init-error
  sync
  reboot -f
}

mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev

# Every module listed is loaded with its dependencies (modules.dep); one
# missing is reported but does not stop the boot, so a kernel without, say,
# the xmp decoder still runs the tests that do not need it.
for module in $(cat /etc/vm-modules); do
  modprobe "$module" 2>/dev/null || say "cannot load module $module"
done

mkdir -p /mnt/out /mnt/root
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 out /mnt/out ||
  fail "cannot mount the output share"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,ro host /mnt/root ||
  fail "cannot mount the host's root file system"

mount -t configfs none /sys/kernel/config 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts -o gid=5,mode=620,ptmxmode=666 devpts /dev/pts
mount -t tmpfs -o mode=1777 shm /dev/shm
# What udev would add: bash's process substitution needs /dev/fd.
ln -sf /proc/self/fd /dev/fd
ln -sf /proc/self/fd/0 /dev/stdin
ln -sf /proc/self/fd/1 /dev/stdout
ln -sf /proc/self/fd/2 /dev/stderr

root=/mnt/root
mount --rbind /dev $root/dev || fail "cannot bind /dev into the host's root"
mount --rbind /proc $root/proc || fail "cannot bind /proc into the host's root"
mount --rbind /sys $root/sys || fail "cannot bind /sys into the host's root"
# Folders of the host's that lie under the scratch folders (a clone in /tmp)
# are set aside before the tmpfs covers them, and bound back afterwards.
n=0
while read -r kept; do
  [ -d "$root$kept" ] || continue
  n=$((n + 1))
  mkdir -p /mnt/kept/$n
  mount --bind "$root$kept" /mnt/kept/$n && echo "$n $kept" >>/mnt/kept/list
done </mnt/out/keep
for scratch in tmp var/tmp run root; do
  [ -d $root/$scratch ] || continue
  mode=0755
  case $scratch in tmp | var/tmp) mode=1777 ;; root) mode=0700 ;; esac
  mount -t tmpfs -o mode=$mode scratch $root/$scratch ||
    fail "cannot make /$scratch writable"
done
if [ -f /mnt/kept/list ]; then
  while read -r n kept; do
    mkdir -p "$root$kept" && mount --bind /mnt/kept/$n "$root$kept" ||
      say "cannot bind $kept back into the guest"
  done </mnt/kept/list
fi
mkdir -p -m 0700 $root/run/user/0
mkdir -p $root/run/vm-out
mount --bind /mnt/out $root/run/vm-out || fail "cannot bind the output share"

read -r uptime _ </proc/uptime
echo "$uptime" >/mnt/out/script-start-uptime
say "running the job at uptime ${uptime}s"
env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root USER=root LOGNAME=root SHELL=/bin/sh LANG=C.UTF-8 TERM=dumb \
  TMPDIR=/tmp XDG_RUNTIME_DIR=/run/user/0 QZT617_VM_OUT=/run/vm-out \
  chroot $root /bin/bash /run/vm-out/job \
  </dev/null >/mnt/out/stdout 2>/mnt/out/stderr
status=$?
read -r uptime _ </proc/uptime
echo "$uptime" >/mnt/out/script-end-uptime
echo "$status" >/mnt/out/status
say "the job ended with status $status at uptime ${uptime}s"
sync
umount -l $root/run/vm-out /mnt/out 2>/dev/null
reboot -f
