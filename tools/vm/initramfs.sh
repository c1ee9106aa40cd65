# Sourced by run-in-vm.sh: makes (or finds) the guest's initramfs, a busybox
# with the init script and the modules the guest loads, cached by content so
# that a second run costs nothing. Needs kernel_root, kernel_version,
# modules_root, guest_modules and here.

# Prints the paths (relative to modules_root) of the named modules and of
# everything they depend on; modules the kernel lacks are left out, which the
# guest reports when it cannot load them.
module_closure() {
  local wanted
  wanted=$(printf '%s\n' "$@" | tr - _)
  awk -v wanted="$wanted" '
    BEGIN { n = split(wanted, w, "\n"); for (i = 1; i <= n; i++) want[w[i]] = 1 }
    {
      path = $1; sub(/:$/, "", path)
      name = path; sub(/.*\//, "", name); sub(/\.ko(\.[a-z]+)?$/, "", name); gsub(/-/, "_", name)
      if (name in want) { print path; for (i = 2; i <= NF; i++) print $i }
    }' "$modules_root/modules.dep" | sort -u
}

initramfs_cache_dir() {
  local shared
  shared=$(dirname "$kernel_root")/initramfs
  if mkdir -p "$shared" 2>/dev/null && [[ -w "$shared" ]]; then
    echo "$shared"
  else
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/qzt617-vm"
  fi
}

build_initramfs() {
  local target=$1 staging module
  staging=$(mktemp -d)
  mkdir -p "$staging"/{bin,dev,proc,sys,etc,mnt,lib/modules/"$kernel_version"}
  cp "$(command -v busybox)" "$staging/bin/busybox"
  install -m 0755 "$here/guest-init.sh" "$staging/init"
  printf '%s\n' "${guest_modules[@]}" >"$staging/etc/vm-modules"
  while read -r module; do
    mkdir -p "$staging/lib/modules/$kernel_version/$(dirname "$module")"
    cp "$modules_root/$module" "$staging/lib/modules/$kernel_version/$module"
  done < <(module_closure "${guest_modules[@]}")
  # busybox modprobe resolves the dependencies from modules.dep; only the
  # lines of the modules the initramfs holds are kept.
  (cd "$staging/lib/modules/$kernel_version" &&
    find . -name '*.ko*' -printf '%P\n' | sort >.present &&
    awk 'NR == FNR { have[$1] = 1; next } { p = $1; sub(/:$/, "", p) } p in have' \
      .present "$modules_root/modules.dep" >modules.dep &&
    rm .present)
  mknod -m 0600 "$staging/dev/console" c 5 1 2>/dev/null || true
  (cd "$staging" && find . -print0 | sort -z | busybox cpio -o -H newc -0 2>/dev/null) |
    gzip -1 >"$target.tmp.$$"
  mv "$target.tmp.$$" "$target"
  rm -rf "$staging"
}

# Prints the path of an initramfs matching the kernel, the init script, the
# module list and busybox, building it first when none does.
ensure_initramfs() {
  local key cache target
  key=$( {
    echo "$kernel_version"
    printf '%s\n' "${guest_modules[@]}"
    cat "$here/guest-init.sh" "$here/initramfs.sh" "$(command -v busybox)"
  } | sha256sum | cut -c1-16)
  cache=$(initramfs_cache_dir)
  mkdir -p "$cache"
  target=$cache/initramfs-$kernel_version-$key.cpio.gz
  if [[ ! -s "$target" ]]; then
    find "$cache" -name 'initramfs-*.cpio.gz' -mtime +30 -delete 2>/dev/null || true
    build_initramfs "$target"
  fi
  echo "$target"
}
