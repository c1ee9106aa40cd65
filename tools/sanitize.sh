#!/usr/bin/env bash
# Runs the tests under the sanitizers:
#   build-asan  AddressSanitizer + LeakSanitizer + UndefinedBehaviorSanitizer:
#               the unit, window and device tests;
#   build-tsan  ThreadSanitizer: the worker tests (capture worker, link monitor).
# Builds only the test programs those need (no benchmarks, no end-to-end
# runs). Every sanitizer report of any process (test programs, and the urc-sim
# servers the device tests start) is written to a log folder; the script exits
# non-zero when a test fails or any report was written.
#
# Environment: QZT_ASAN_BUILD, QZT_TSAN_BUILD (build folders, default
# build-asan and build-tsan in the repository), QZT_JOBS (default: nproc),
# QZT_SANITIZE_ONLY=asan|tsan (run one half).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
asan_dir=${QZT_ASAN_BUILD:-$root/build-asan}
tsan_dir=${QZT_TSAN_BUILD:-$root/build-tsan}
jobs=${QZT_JOBS:-$(nproc)}
only=${QZT_SANITIZE_ONLY:-}

# The programs behind the unit, window and device labels.
asan_targets=(
  app_core_tests app_entry_tests app_window_tests capture_worker_tests ir-encode
  irform_tests learning_core_tests conversion_tests
  keypanel_core_tests keypanel_widget_tests learning_unit_tests learning_window_tests
  linkmonitor_tests urc_reading_tests imaging_test reslib_test flash_player_test artwork_test
  gif_compose_test
  urc_memory_test urc_claim_test urcsim_core_test urc_device_test tovqel_test urc_panel_test
  urcwire_tests urcfind_tests
  winsys_tests urctool_tests urctool_lircd_tests urc-tool urc-sim
  fuzz_oracles_test fuzz_seeds fuzz_capture_replay fuzz_convert_replay fuzz_urc_memory_replay
)
# A test program missing from the list above leaves gtest's placeholder test
# <target>_NOT_BUILT, which fails the run (see missing_programs), so the list
# cannot silently fall behind.
asan_labels='^(unit|window|device)$'

# The worker threads' tests.
tsan_targets=(capture_worker_tests linkmonitor_tests)
tsan_tests='^(CaptureWorker\.|LinkMonitor|WindowThreadQueue\.|Identities/LinkMonitor|Ways/StopWay|Ownership/WindowGone)'

seconds() { date +%s; }
elapsed() { echo "$(($(seconds) - $1)) s"; }

# configure PRESET DIR: once; later builds re-run CMake by themselves.
configure() {
  [[ -f "$2/CMakeCache.txt" ]] || cmake --preset "$1" -B "$2" >/dev/null
}

# Fails when any sanitizer wrote a report into the log folder $1.
check_reports() {
  local logs=("$1"/*)
  [[ -e "${logs[0]}" ]] || return 0
  echo "sanitizer reports:" >&2
  for log in "${logs[@]}"; do
    echo "=== $log" >&2
    cat "$log" >&2
  done
  return 1
}

# run_ctest NAME DIR LOGS CTEST-ARGS...: runs ctest, then looks for reports.
run_ctest() {
  local name=$1 dir=$2 logs=$3 status=0
  shift 3
  rm -rf "$logs"
  mkdir -p "$logs"
  local start
  start=$(seconds)
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j"$jobs" "$@" || status=$?
  echo "$name tests: $(elapsed "$start")"
  check_reports "$logs" || status=1
  return "$status"
}

# Fails when a test program of build-asan/ was not built: its tests would
# otherwise be left out without a word (its placeholder carries no label).
missing_programs() {
  local missing
  missing=$(ctest --test-dir "$asan_dir" -N -R '_NOT_BUILT$' | sed -n 's/.*Test *#[0-9]*: //p')
  [[ -z "$missing" ]] && return 0
  echo "test programs missing from asan_targets in tools/sanitize.sh:" $missing >&2
  return 1
}

build_asan() {
  local start
  start=$(seconds)
  configure asan "$asan_dir"
  cmake --build "$asan_dir" -j"$jobs" --target "${asan_targets[@]}"
  echo "asan build: $(elapsed "$start")"
  missing_programs
}

test_asan() {
  local logs=$asan_dir/sanitizer-logs
  # intercept_tls_get_addr=0: GCC 12's runtime takes a dynamic TLS block that
  # happens to start 16 bytes past a page for an old glibc's header and reads
  # garbage before it, and LeakSanitizer's tracer then dies at exit ("Tracer
  # caught signal 11") in programs with many libraries (urc-tool with LIRC's
  # and cairo's), failing by chance a run that leaked nothing.
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_tls_get_addr=0:log_path=$logs/asan" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan" \
  LSAN_OPTIONS="suppressions=$root/tools/sanitize-lsan.supp:print_suppressions=0" \
    run_ctest asan "$asan_dir" "$logs" -L "$asan_labels"
}

run_tsan() {
  local start logs=$tsan_dir/sanitizer-logs
  start=$(seconds)
  configure tsan "$tsan_dir"
  cmake --build "$tsan_dir" -j"$jobs" --target "${tsan_targets[@]}"
  echo "tsan build: $(elapsed "$start")"
  local options="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tools/sanitize-tsan.supp"
  # Once with the event dispatcher the program uses, once with Qt's plain
  # Unix one. The plain one folds wake-ups together, so work handed to the
  # window thread through Qt's own event queue (ordered only by Qt's locks,
  # which ThreadSanitizer cannot see in Debian's Qt) is reported every time
  # rather than only when the machine is busy.
  TSAN_OPTIONS="$options:log_path=$logs/tsan" \
    run_ctest tsan "$tsan_dir" "$logs" -R "$tsan_tests" || return 1
  QT_NO_GLIB=1 TSAN_OPTIONS="$options:log_path=$logs/tsan" \
    run_ctest "tsan (plain event dispatcher)" "$tsan_dir" "$logs" -R "$tsan_tests"
}

total=$(seconds)
status=0
case "$only" in
  asan) { build_asan && test_asan; } || status=1 ;;
  tsan) run_tsan || status=1 ;;
  *)
    # The worker tests' build and runs, which mostly wait on their threads,
    # go beside the AddressSanitizer tests; their report follows.
    build_asan || status=1
    tsan_log=$(mktemp)
    run_tsan >"$tsan_log" 2>&1 &
    tsan_pid=$!
    if ((status == 0)); then
      test_asan || status=1
    fi
    wait "$tsan_pid" || status=1
    cat "$tsan_log"
    rm -f "$tsan_log"
    ;;
esac
echo "sanitizer runs: $(elapsed "$total"), $([[ $status == 0 ]] && echo "no report" || echo FAILED)"
exit "$status"
