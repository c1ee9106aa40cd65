#!/usr/bin/env bash
# Fetches the Debian kernel the test virtual machine boots and unpacks it into
# DIR, without installing it: the host keeps its own kernel, and the guest gets
# a kernel whose USB gadget and infrared loopback drivers are known to work.
# Quick when DIR already holds the kernel the archive currently names.
#
# Usage: tools/vm/fetch-kernel.sh DIR
# Afterwards DIR/current is a link to DIR/<version>, which holds boot/vmlinuz-*
# and lib/modules/<version>/.
set -euo pipefail

usage() {
  echo "usage: $0 DIR" >&2
  exit 2
}
(($# == 1)) || usage
dir=$1

# The metapackage linux-image-amd64 depends on the versioned image package;
# that name (linux-image-6.1.0-N-amd64) is what gets downloaded.
resolve_image_package() {
  apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1
}

image_package=$(resolve_image_package)
if [[ -z "$image_package" ]]; then
  echo "fetch-kernel: no package lists name linux-image-amd64; running apt-get update" >&2
  apt-get update -qq
  image_package=$(resolve_image_package)
fi
if [[ -z "$image_package" ]]; then
  echo "fetch-kernel: cannot resolve linux-image-amd64 to a kernel image package" >&2
  exit 1
fi
version=${image_package#linux-image-}

if [[ -f "$dir/$version/.unpacked" ]]; then
  ln -sfn "$version" "$dir/current"
  exit 0
fi

mkdir -p "$dir"
work=$(mktemp -d "$dir/.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
# apt-get download drops privileges to _apt where it can; a folder it may
# write to avoids its warning when run as root.
chmod 0777 "$work"
if ! (cd "$work" && apt-get download -qq "$image_package" 2>"$work/download.err"); then
  echo "fetch-kernel: download of $image_package failed; running apt-get update" >&2
  apt-get update -qq
  (cd "$work" && apt-get download -qq "$image_package")
fi
deb=$(find "$work" -maxdepth 1 -name "${image_package}_*.deb" | head -n 1)
if [[ -z "$deb" ]]; then
  echo "fetch-kernel: apt-get download left no ${image_package} package" >&2
  exit 1
fi
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
if [[ ! -f "$work/root/boot/vmlinuz-$version" || ! -d "$work/root/lib/modules/$version" ]]; then
  echo "fetch-kernel: $deb holds no boot/vmlinuz-$version or lib/modules/$version" >&2
  exit 1
fi
# The package leaves modules.dep to its installation scripts; the guest's
# module loading needs it, and busybox makes it without kmod on the host.
busybox depmod -b "$work/root" "$version"
# Only the kernel and its modules are kept: the firmware and documentation
# in the package are of no use to the guest.
rm -rf "${dir:?}/$version"
mkdir "$dir/$version"
mv "$work/root/boot" "$work/root/lib" "$dir/$version/"
basename "$deb" >"$dir/$version/.unpacked"
ln -sfn "$version" "$dir/current"
# Older kernels left by earlier fetches are no longer booted.
for old in "$dir"/*/.unpacked; do
  old_dir=$(dirname "$old")
  [[ -L "$old_dir" || "$(basename "$old_dir")" == "$version" ]] || rm -rf "$old_dir"
done
echo "fetch-kernel: $image_package unpacked into $dir/$version"
