#!/usr/bin/env bash
# Builds the libFuzzer programs (preset "fuzz": clang with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for a bounded time.
#
# usage: fuzz/run.sh [SECONDS-EACH] [TARGET...]
#   SECONDS-EACH  default 60 (or QZT_FUZZ_SECONDS)
#   TARGET        capture, convert, urc_memory (default: all three)
# QZT_FUZZ_BUILD sets the build folder (default build-fuzz).
#
# Each target starts from fuzz/corpus/<target>/, the generated seeds and the
# corpus it grew in earlier runs (kept in the build folder). An input that
# crashes, hangs or exhausts memory is kept under fuzz/regressions/<target>/,
# where the replay tests of the normal build pick it up; commit it with the
# fix. Exits non-zero when any target kept such an input.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${QZT_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-${QZT_FUZZ_SECONDS:-60}}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "run.sh: SECONDS-EACH must be a whole number" >&2; exit 2; }
shift $(($# > 0 ? 1 : 0))
targets=("$@")
((${#targets[@]})) || targets=(capture convert urc_memory)

# Inputs longer than the program ever hands over only slow the search down:
# a capture buffer is 10240 characters, a URC image 64 KiB.
max_len() {
  case $1 in
    capture | convert) echo 12288 ;;
    urc_memory) echo 65536 ;;
    *) echo "run.sh: unknown target '$1' (capture, convert, urc_memory)" >&2; return 1 ;;
  esac
}
for target in "${targets[@]}"; do max_len "$target" >/dev/null; done

command -v clang++ >/dev/null || { echo "run.sh: clang++ is needed (Debian: clang)" >&2; exit 2; }
[[ -f "$build/CMakeCache.txt" ]] || cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target qzt_fuzzers

seeds=$build/fuzz/generated-seeds
"$build/bin/fuzz_seeds" "$seeds"

found=()
for target in "${targets[@]}"; do
  corpus=$build/fuzz/corpus/$target
  kept=$root/fuzz/regressions/$target
  mkdir -p "$corpus" "$kept"
  before=$(find "$kept" -type f ! -name '.*' | wc -l)
  echo "== fuzz_$target for $seconds s"
  status=0
  # The first folder is the growing corpus; the others are only read.
  "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$kept/" \
    "$corpus" "$root/fuzz/corpus/$target" "$seeds/$target" || status=$?
  after=$(find "$kept" -type f ! -name '.*' | wc -l)
  if ((status != 0 || after > before)); then
    found+=("$target")
  fi
done

if ((${#found[@]})); then
  echo "inputs kept under fuzz/regressions/ for: ${found[*]}" >&2
  exit 1
fi
echo "no crash in ${targets[*]} ($seconds s each)"
