#!/usr/bin/env bash
# Every script of the virtual machine's tests in one boot (tools/vm/run-in-vm.sh):
# each runs in turn with the folder of the built programs, the others still
# run when one fails, and the status says whether all passed.
#   all.sh BIN_DIR SCRIPT...
set -uo pipefail
bin=$1
shift
failed=()
for script in "$@"; do
  echo "=== ${script##*/}"
  start=$SECONDS
  if "$(dirname "$0")/$script" "$bin"; then
    echo "=== ${script##*/}: passed in $((SECONDS - start)) s"
  else
    echo "=== ${script##*/}: FAILED after $((SECONDS - start)) s"
    failed+=("$script")
  fi
done
((${#failed[@]} == 0)) || { echo "failed: ${failed[*]}"; exit 1; }
