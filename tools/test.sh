#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest: the
# unit, window, device, end-to-end (Xvfb) and install tests, then the unit,
# window and device tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the worker tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh
tools/build.sh
ctest --preset default -j"$(nproc)"
tools/sanitize.sh
