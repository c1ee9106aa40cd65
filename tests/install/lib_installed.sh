# What the install and package tests share: a private emulated URC and the
# installed (or unpacked) qzt617 started from under ROOT, whose programs are
# in ROOT/bin and private libraries in ROOT/$LIBDIR. Set ROOT, LIBDIR and
# WORK (an empty temporary folder) before sourcing.
sim_pid=
app_pid=

cleanup() {
  [[ -n "$app_pid" ]] && kill -KILL "$app_pid" 2>/dev/null || true
  [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$WORK"/*.log; do
    [[ -f "$log" ]] && { echo "--- $(basename "$log"):" >&2; cat "$log" >&2; }
  done
  exit 1
}

# Waits up to $2 seconds for the command in $1 to succeed.
wait_for() {
  local i
  for ((i = 0; i < ${2:-10} * 20; i++)); do
    eval "$1" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Nothing from the build tree may help the installed copy find its parts.
unset LD_LIBRARY_PATH LD_PRELOAD
# An offscreen screen of 1280 x 1024: the default 800 x 600 would rightly
# bring up the program's box about a display narrower than 1024 pixels.
cat >"$WORK/screen.json" <<'JSON'
{ "screens": [ { "name": "install-test", "x": 0, "y": 0, "width": 1280, "height": 1024,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$WORK/screen.json"
export XDG_RUNTIME_DIR=$WORK/run
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export QZT617_URC_SOCKET=$WORK/urc.sock
export QZT617_BOX_LOG=$WORK/boxes.log

start_sim() {
  "$ROOT/bin/urc-sim" serve --image "$WORK/urc.img" --socket "$QZT617_URC_SOCKET" \
    >"$WORK/sim.log" 2>&1 &
  sim_pid=$!
  wait_for "'$ROOT/bin/urc-sim' status" 10 || fail "the installed urc-sim did not start"
}

# Starts the installed program from an unrelated folder, so nothing is found
# through the working directory either.
start_app() {
  : >"$QZT617_BOX_LOG"
  (cd "$WORK" && exec "$ROOT/bin/qzt617") >"$WORK/app.log" 2>&1 &
  app_pid=$!
}

# Stops the program; fails when it had ended by itself before.
stop_app() {
  kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid" || true; fail "qzt617 ended by itself"; }
  kill -TERM "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

loaded_from_root() { grep -F "$ROOT/$LIBDIR/$1" "/proc/$app_pid/maps" >/dev/null; }

# The program's search path is the private library folder beside it, never
# the build tree.
expect_run_path() {
  local runpath
  runpath=$(readelf -d "$ROOT/bin/$1" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
  [[ "$runpath" == "\$ORIGIN/../$LIBDIR" ]] || fail "$1's run path is '$runpath'"
}

# Against a good URC the main window comes up without a box, with its
# libraries and pictures taken from under ROOT.
expect_good_start() {
  start_app
  wait_for "loaded_from_root libtovqel.so" 10 || fail "libtovqel.so not loaded from $ROOT/$LIBDIR"
  sleep 3
  [[ ! -s "$QZT617_BOX_LOG" ]] || fail "boxes shown on a good start: $(cat "$QZT617_BOX_LOG")"
  # Loading the pictures writes the animation out of bne1004.so: proof that
  # the resource libraries were found (they are closed again after).
  [[ "$(head -c 4 "$XDG_RUNTIME_DIR/qzt617/888.swf" 2>/dev/null)" == GIF8 ]] ||
    fail "the animation file was not written from the installed resource library"
  stop_app
}
