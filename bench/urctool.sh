#!/bin/bash
# urc-tool against the emulated URC at its default link latency:
#   1. backup of the whole 64 KiB against the link's own time for one 64 KiB
#      read through the device library (the target: within 1.1x);
#   2. every subcommand against a URC whose 70 keys are all learned
#      (protocols and raw codes).
# Prints markdown; medians of QZT_BENCH_TOOL_RUNS runs (default 5).
# Usage: bench/urctool.sh FOLDER-OF-THE-BUILT-PROGRAMS
set -euo pipefail
bin=${1:?usage: bench/urctool.sh FOLDER}
runs=${QZT_BENCH_TOOL_RUNS:-5}
dir=$(mktemp -d /tmp/qzt617-bench-tool.XXXXXX)
export XDG_RUNTIME_DIR="$dir/run" QZT617_URC_SOCKET="$dir/urc.sock"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
sim_pid=
trap '[[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT

"$bin/urc-sim" serve --image "$dir/urc.img" --socket "$QZT617_URC_SOCKET" >"$dir/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do "$bin/urc-sim" status >/dev/null 2>&1 && break; sleep 0.05; done
latency=$("$bin/urc-sim" status | sed -n 's/^latency: \([0-9]*\) ms$/\1/p')

# The shell's own clock: reading it starts no process, so nothing but the
# command is timed.
now_ms() {
  local t=${EPOCHREALTIME/[.,]/}
  echo $((t / 1000))
}
# median_ms COMMAND...: the median wall time of `runs` runs, in ms.
median_ms() {
  local times=() start
  for _ in $(seq "$runs"); do
    start=$(now_ms)
    "$@" >/dev/null 2>&1 || { echo "bench/urctool.sh: $* failed" >&2; return 1; }
    times+=($(($(now_ms) - start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

# The link's own time: one library read of 8192 blocks, timed inside the process.
link_read_ms() {
  python3 - "$bin/libtovqel.so" <<'PY'
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
buf = ctypes.create_string_buffer(2 * 65536 + 1)
start = time.perf_counter()
ok = lib.readdatav20(buf, 8192, b"00", b"00", b"08")
elapsed = (time.perf_counter() - start) * 1000
sys.exit(1) if not ok else print(round(elapsed))
PY
}
link_times=()
for _ in $(seq "$runs"); do link_times+=($(link_read_ms)); done
link=$(printf '%s\n' "${link_times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
backup=$(median_ms "$bin/urc-tool" backup "$dir/b.img" --quiet)
echo "## urc-tool backup (link latency $latency ms a transfer, medians of $runs)"
echo
echo "| what | ms |"
echo "|---|---:|"
echo "| the link's own 64 KiB read (one readdatav20 call) | $link |"
echo "| urc-tool backup (whole process, file written) | $backup |"
echo "| ratio | $(awk -v b="$backup" -v l="$link" 'BEGIN {printf "%.3f", b / l}') |"
echo

# 70 learned keys: protocol codes, and a raw code every third key.
raw() {
  local text="raw 38000 +3500 -1750" i
  for i in $(seq 24); do text+=" +500 -$((400 + 900 * ((i * $1 / 3) % 2)))"; done
  echo "$text +500"
}
protocols=("nec 4" "necx 0x1234" "rc5 3" "sirc12 1" "sirc15 0x20" "sirc20 0x1234")
i=0
for code in $("$bin/urc-tool" list | awk 'NF >= 2 && $1 ~ /^[0-9A-F][0-9A-F]$/ {print $1}'); do
  if ((i % 3 == 2)); then
    "$bin/urc-tool" set "$code" --raw "$(raw $((i + 1)))" >/dev/null
  else
    read -r p d <<<"${protocols[$((i % 6))]}"
    "$bin/urc-tool" set "$code" --protocol "$p" "$d" $((i % 64)) >/dev/null
  fi
  i=$((i + 1))
done
learned=$("$bin/urc-tool" list --json | grep -c '"state":"learned"')
"$bin/urc-tool" backup "$dir/full.img" --quiet
last=$("$bin/urc-tool" list | awk '$3 == "learned" {c = $1} END {print c}')

echo "## Every subcommand, URC with $learned learned keys (medians of $runs, ms)"
echo
echo "| command | ms |"
echo "|---|---:|"
row() { echo "| \`$1\` | $(median_ms "${@:2}") |"; }
row "backup FILE" "$bin/urc-tool" backup "$dir/b.img" --quiet
row "verify FILE" "$bin/urc-tool" verify "$dir/full.img" --quiet
row "list" "$bin/urc-tool" list
row "list --json" "$bin/urc-tool" list --json
row "export --format lircd" "$bin/urc-tool" export --format lircd -o "$dir/x.conf"
row "export --format pronto" "$bin/urc-tool" export --format pronto -o "$dir/x.txt"
row "export --format json" "$bin/urc-tool" export --format json -o "$dir/x.json"
row "plot KEY -o FILE.png" "$bin/urc-tool" plot "$last" -o "$dir/p.png"
row "plot KEY -o FILE.svg" "$bin/urc-tool" plot "$last" -o "$dir/p.svg"
row "set KEY --protocol nec 4 8" "$bin/urc-tool" set "$last" --protocol nec 4 8
row "set KEY --raw ..." "$bin/urc-tool" set "$last" --raw "$(raw 5)"
# timed_after "PREPARE" COMMAND...: the median of COMMAND, each run after an
# untimed PREPARE.
timed_after() {
  local prepare=$1 times=() start
  shift
  for _ in $(seq "$runs"); do
    eval "$prepare" >/dev/null
    start=$(now_ms)
    "$@" >/dev/null || { echo "bench/urctool.sh: $* failed" >&2; return 1; }
    times+=($(($(now_ms) - start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}
echo "| \`clear KEY\` | $(timed_after "'$bin/urc-tool' set $last --protocol nec 4 8" "$bin/urc-tool" clear "$last") |"
"$bin/urc-tool" restore "$dir/full.img" --quiet >/dev/null
echo "| \`restore FILE\` (one key's raw code back) | $(timed_after "'$bin/urc-tool' clear $last" "$bin/urc-tool" restore "$dir/full.img" --quiet) |"
row "restore FILE (nothing differs)" "$bin/urc-tool" restore "$dir/full.img" --quiet
