#!/usr/bin/env bash
# Configures (once) and builds incrementally into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -f build/CMakeCache.txt ]] || cmake --preset default
cmake --build --preset default -j"$(nproc)"
