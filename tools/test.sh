#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest: the
# unit, window, device, end-to-end (Xvfb) and install tests, then the unit,
# window and device tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the worker tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh
tools/build.sh
# The sanitizer builds keep the processor busy while most of the normal run's
# time goes to end-to-end runs that wait on X servers and the emulated link, so
# the two overlap; the sanitizers' report follows the normal run's.
sanitize_log=$(mktemp)
trap 'rm -f "$sanitize_log"' EXIT
tools/sanitize.sh >"$sanitize_log" 2>&1 &
sanitize_pid=$!
status=0
ctest --preset default -j"$(nproc)" || status=$?
sanitize_status=0
wait "$sanitize_pid" || sanitize_status=$?
cat "$sanitize_log"
((sanitize_status == 0)) || status=$sanitize_status
exit "$status"
