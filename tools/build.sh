#!/usr/bin/env bash
# Configures (once) and builds incrementally into build/: everything, or the
# targets named (tools/build.sh qzt_programs).
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -f build/CMakeCache.txt ]] || cmake --preset default
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done
cmake --build --preset default -j"$(nproc)" "${targets[@]}"
