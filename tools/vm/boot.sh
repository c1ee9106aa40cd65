# Sourced by run-in-vm.sh: boots the guest on the initramfs, waits for it at
# most timeout_seconds, and hands back the job's output and exit status.
# Needs script, script_args, out_dir, timeout_seconds, vmlinuz, initramfs,
# memory and cpus.

prepare_out_dir() {
  if [[ -z "$out_dir" ]]; then
    out_dir=$(mktemp -d)
    trap 'rm -rf "$out_dir"' EXIT
  else
    mkdir -p "$out_dir"
    out_dir=$(realpath "$out_dir")
    rm -f "$out_dir"/{job,keep,stdout,stderr,status,console.log,init-error,script-start-uptime,script-end-uptime}
  fi
  # The guest runs the script from the caller's folder, which is the same
  # path inside since the guest's root is the host's.
  {
    printf 'cd %q 2>/dev/null || cd /\n' "$PWD"
    printf 'exec'
    printf ' %q' "$script" "${script_args[@]}"
    printf '\n'
  } >"$out_dir/job"
  kept_paths >"$out_dir/keep"
}

run_qemu() {
  # -nodefaults and no network keep the guest to what the tests use, which
  # also shortens the boot: no floppy, IDE or network probing.
  timeout --kill-after=5 "$timeout_seconds" qemu-system-x86_64 \
    -accel tcg -M pc -cpu max -m "$memory" -smp "$cpus" \
    -nodefaults -no-user-config -nographic -monitor none -no-reboot \
    -serial "file:$out_dir/console.log" \
    -kernel "$vmlinuz" -initrd "$initramfs" \
    -append "console=ttyS0 quiet panic=-1 rdinit=/init" \
    -virtfs local,path=/,mount_tag=host,readonly=on,multidevs=remap,security_model=none \
    -virtfs "local,path=$out_dir,mount_tag=out,security_model=none" \
    </dev/null
}

# What the guest wrote so far, and the end of its console, for a run that
# did not finish.
show_partial_run() {
  [[ -s "$out_dir/stdout" ]] && cat "$out_dir/stdout"
  [[ -s "$out_dir/stderr" ]] && cat "$out_dir/stderr" >&2
  if [[ -s "$out_dir/console.log" ]]; then
    echo "run-in-vm: the end of the guest's console:" >&2
    tail -n 30 "$out_dir/console.log" | sed 's/^/  | /' >&2
  fi
}

boot_and_report() {
  prepare_out_dir
  local started qemu_status=0 elapsed
  started=$(date +%s.%N)
  run_qemu || qemu_status=$?
  elapsed=$(echo "$(date +%s.%N) - $started" | bc 2>/dev/null || echo '?')
  if [[ -s "$out_dir/status" ]]; then
    cat "$out_dir/stdout"
    cat "$out_dir/stderr" >&2
    printf 'run-in-vm: the guest ran the script from %ss after its boot to %ss; %.1fs in all\n' \
      "$(cat "$out_dir/script-start-uptime")" "$(cat "$out_dir/script-end-uptime")" \
      "$elapsed" >&2
    exit "$(cat "$out_dir/status")"
  fi
  show_partial_run
  if ((qemu_status == 124 || qemu_status == 137)); then
    echo "run-in-vm: the guest did not finish within $timeout_seconds s; QEMU was killed" >&2
    exit 124
  fi
  [[ -s "$out_dir/init-error" ]] && sed 's/^/run-in-vm: guest: /' "$out_dir/init-error" >&2
  echo "run-in-vm: the guest stopped without the script's status (QEMU's exit status $qemu_status)" >&2
  exit 1
}
