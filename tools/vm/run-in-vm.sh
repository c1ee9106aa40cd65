#!/usr/bin/env bash
# Runs a script inside a Debian kernel under QEMU (TCG, no KVM needed) whose
# root file system is the host's own, read-only: the script sees the host's
# programs and the project's build at their usual paths, with the kernel's USB
# gadget (dummy_hcd, configfs HID functions) and infrared loopback
# (rc-loopback and the decoders) loaded. See tools/vm/README.md.
#
# Exit status: the script's; 124 when the guest did not finish in time; 77
# when QEMU cannot run here at all (no qemu-system-x86_64, no kernel).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
timeout_seconds=300
out_dir=
kernel_dir=${QZT617_VM_KERNEL_DIR:-/var/cache/qzt617-vm}
memory=${QZT617_VM_MEMORY:-1536}
cpus=${QZT617_VM_CPUS:-2}

# The modules the guest loads, each with its dependencies. Decoders cover every
# protocol the kernel decodes, so the protocols a test can check are not
# limited by what this list remembered.
guest_modules=(
  virtio_pci 9pnet_virtio 9p configfs evdev
  dummy_hcd libcomposite usb_f_hid usbhid hid-generic
  rc-loopback ir-nec-decoder ir-rc5-decoder ir-rc6-decoder ir-sony-decoder
  ir-jvc-decoder ir-sanyo-decoder ir-sharp-decoder ir-xmp-decoder
  ir-mce_kbd-decoder ir-imon-decoder ir-rcmm-decoder
)

usage() {
  cat >&2 <<USAGE
usage: $0 [--timeout SECONDS] [--out DIR] SCRIPT [ARGS...]
  --timeout SECONDS  kill the guest after this long (default $timeout_seconds, 10 to 3600)
  --out DIR          the guest's writable share, seen inside as \$QZT617_VM_OUT;
                     it also keeps console.log, stdout, stderr and status
                     (default: a temporary folder, removed afterwards)
USAGE
  exit 2
}

skip() {
  echo "run-in-vm: skipped: $*" >&2
  exit 77
}

parse_arguments() {
  while (($#)); do
    case $1 in
      --timeout)
        (($# >= 2)) || usage
        if [[ ! "$2" =~ ^[0-9]+$ ]] || ((10#$2 < 10 || 10#$2 > 3600)); then
          echo "run-in-vm: --timeout takes whole seconds from 10 to 3600, not '$2'" >&2
          exit 2
        fi
        timeout_seconds=$((10#$2))
        shift 2
        ;;
      --out)
        (($# >= 2)) || usage
        out_dir=$2
        shift 2
        ;;
      --help | -h) usage ;;
      --) shift; break ;;
      -*) echo "run-in-vm: unknown option '$1'" >&2; usage ;;
      *) break ;;
    esac
  done
  (($# >= 1)) || usage
  script=$1
  shift
  script_args=("$@")
  if [[ "$script" != /* ]]; then
    script=$(realpath -- "$script")
  fi
  if [[ ! -f "$script" || ! -x "$script" ]]; then
    echo "run-in-vm: '$script' is not an executable file" >&2
    exit 2
  fi
}

# The guest's /tmp, /var/tmp, /run and /root are its own empty tmpfs; a
# clone, a script or a build the host keeps there is bound into it again
# (read-only, like the rest): the project's tree, the script's folder and
# every argument that names a file or folder.
kept_paths() {
  local path
  for path in "$here/../.." "$(dirname "$script")" "${script_args[@]}"; do
    [[ -e "$path" ]] || continue
    path=$(realpath -- "$path")
    [[ -d "$path" ]] || path=$(dirname "$path")
    case $path in
      /tmp/* | /var/tmp/* | /run/* | /root/*) echo "$path" ;;
    esac
  done | sort -u
}

find_kernel() {
  command -v qemu-system-x86_64 >/dev/null ||
    skip "no qemu-system-x86_64 (Debian package qemu-system-x86)"
  command -v busybox >/dev/null || skip "no busybox (Debian package busybox-static)"
  if [[ ! -e "$kernel_dir/current/.unpacked" ]]; then
    echo "run-in-vm: no kernel in $kernel_dir; fetching it" >&2
    "$here/fetch-kernel.sh" "$kernel_dir" >&2 ||
      skip "no kernel in $kernel_dir and it cannot be fetched (tools/vm/fetch-kernel.sh)"
  fi
  kernel_root=$(realpath "$kernel_dir/current")
  kernel_version=$(basename "$kernel_root")
  vmlinuz=$kernel_root/boot/vmlinuz-$kernel_version
  modules_root=$kernel_root/lib/modules/$kernel_version
  [[ -f "$vmlinuz" && -f "$modules_root/modules.dep" ]] ||
    skip "$kernel_root holds no vmlinuz or modules.dep; run tools/vm/fetch-kernel.sh $kernel_dir"
}

main() {
  parse_arguments "$@"
  find_kernel
  # shellcheck source=tools/vm/initramfs.sh
  source "$here/initramfs.sh"
  initramfs=$(ensure_initramfs)
  # shellcheck source=tools/vm/boot.sh
  source "$here/boot.sh"
  boot_and_report
}

main "$@"
