# Sourced by the urc-tool scripts once BIN names the folder of the built
# programs: a fresh folder DIR with the runtime folder, cache and URC socket
# of its own, urc-sim serving DIR/urc.img there (start_sim, kill_sim), and
# everything stopped and removed on exit.
DIR=$(mktemp -d "/tmp/qzt617-$(basename "$0" .sh).XXXXXX")
export XDG_RUNTIME_DIR="$DIR/run" QZT617_URC_SOCKET="$DIR/urc.sock" XDG_CACHE_HOME="$DIR/cache"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
SIM_PID=
cleanup() {
  [[ -n "$SIM_PID" ]] && kill "$SIM_PID" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$DIR"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
tool() { "$BIN/urc-tool" "$@"; }
sim() { "$BIN/urc-sim" "$@"; }

# start_sim [LATENCY-MS]: serves DIR/urc.img and waits until it answers.
start_sim() {
  "$BIN/urc-sim" serve --image "$DIR/urc.img" --socket "$QZT617_URC_SOCKET" --latency-ms "${1:-0}" \
    >>"$DIR/sim.log" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 100); do sim status >/dev/null 2>&1 && return 0; sleep 0.02; done
  fail "urc-sim did not start: $(cat "$DIR/sim.log")"
}
kill_sim() {
  kill -9 "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=
}

# expect STATUS TEXT COMMAND...: the command ends with STATUS (so never the
# 124 of a timeout around it) and says TEXT.
expect() {
  local want=$1 text=$2 got=0
  shift 2
  "$@" >"$DIR/out" 2>&1 || got=$?
  local command="$*"
  command=${command:0:100}
  ((got == want)) || fail "$command ended with $got, expected $want: $(head -c 600 "$DIR/out")"
  grep -qF -- "$text" "$DIR/out" || fail "$command: expected '$text' in: $(head -c 600 "$DIR/out")"
}
