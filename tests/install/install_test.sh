#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout, then starts
# the installed qzt617 (offscreen) against a private urc-sim:
#   - with everything installed it must reach its main window: still running
#     after a few seconds, no box shown, its libraries and pictures loaded from
#     the prefix;
#   - with one resource library removed from the prefix it must show exactly
#     the box "load picture failly" and not crash.
# usage: install_test.sh BUILD_DIR [CMAKE]
set -euo pipefail

build=${1:?usage: install_test.sh BUILD_DIR [CMAKE]}
cmake_command=${2:-cmake}
work=$(mktemp -d /tmp/qzt617-install.XXXXXX)
prefix=$work/prefix
sim_pid=
app_pid=

cleanup() {
  [[ -n "$app_pid" ]] && kill -KILL "$app_pid" 2>/dev/null || true
  [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do
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
cat >"$work/screen.json" <<'JSON'
{ "screens": [ { "name": "install-test", "x": 0, "y": 0, "width": 1280, "height": 1024,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json"
export XDG_RUNTIME_DIR=$work/run
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export QZT617_URC_SOCKET=$work/urc.sock
export QZT617_BOX_LOG=$work/boxes.log

"$cmake_command" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed"

libdir=lib/qzt617
expected=(bin/qzt617 bin/urc-sim bin/urc-sim-panel bin/ir-encode
          "$libdir/libtovqel.so" "$libdir/libRorORuru.so"
          "$libdir/one1004.so" "$libdir/sne1004.so" "$libdir/fne1004.so"
          "$libdir/bne1004.so" "$libdir/dne1004.so"
          share/applications/qzt617.desktop share/icons/hicolor/scalable/apps/qzt617.svg)
for file in "${expected[@]}"; do
  [[ -f "$prefix/$file" ]] || fail "not installed: $file"
done
for program in qzt617 urc-sim urc-sim-panel ir-encode; do
  [[ -x "$prefix/bin/$program" ]] || fail "bin/$program is not executable"
done
# The test variants of the resource libraries stay in the build tree.
[[ -z "$(find "$prefix" -path '*broken*' -o -path '*missing*')" ]] ||
  fail "test-only resource libraries were installed"

# The installed program's search path is its own folder and the private
# library folder, never the build tree.
runpath=$(readelf -d "$prefix/bin/qzt617" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
[[ "$runpath" == *'$ORIGIN/../lib/qzt617'* ]] || fail "qzt617's run path is '$runpath'"
[[ "$runpath" != *"$build"* ]] || fail "qzt617's run path points into the build: '$runpath'"

# The desktop entry starts the installed program and names the installed icon.
desktop=$prefix/share/applications/qzt617.desktop
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is not an application"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -x "$prefix/bin/${exec_line%% *}" ]] || fail "desktop entry starts '$exec_line'"
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "no icon named '$icon'"

start_sim() {
  "$prefix/bin/urc-sim" serve --image "$work/urc.img" --socket "$QZT617_URC_SOCKET" \
    >"$work/sim.log" 2>&1 &
  sim_pid=$!
  wait_for "'$prefix/bin/urc-sim' status" 10 || fail "the installed urc-sim did not start"
}

# Starts the installed program from an unrelated folder, so nothing is found
# through the working directory either.
start_app() {
  : >"$QZT617_BOX_LOG"
  (cd "$work" && exec "$prefix/bin/qzt617") >"$work/app.log" 2>&1 &
  app_pid=$!
}

# Stops the program; fails when it had ended by itself before.
stop_app() {
  kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid" || true; fail "qzt617 ended by itself"; }
  kill -TERM "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

loaded_from_prefix() { grep -F "$prefix/$libdir/$1" "/proc/$app_pid/maps" >/dev/null; }

start_sim

# 1. Complete install: the main window comes up without a box.
start_app
wait_for "loaded_from_prefix libtovqel.so" 10 || fail "libtovqel.so not loaded from the prefix"
sleep 3
[[ ! -s "$QZT617_BOX_LOG" ]] || fail "boxes shown on a good start: $(cat "$QZT617_BOX_LOG")"
# Loading the pictures writes the animation out of bne1004.so: proof that the
# resource libraries were found in the prefix (they are closed again after).
[[ "$(head -c 4 "$XDG_RUNTIME_DIR/qzt617/888.swf" 2>/dev/null)" == GIF8 ]] ||
  fail "the animation file was not written from the installed resource library"
stop_app

# 2. A resource library missing: the one box, and no crash.
rm "$prefix/$libdir/dne1004.so"
start_app
wait_for "[[ -s '$QZT617_BOX_LOG' ]]" 15 || fail "no box when dne1004.so is missing"
sleep 0.5
boxes=$(cat "$QZT617_BOX_LOG")
[[ "$boxes" == $'information\tload picture failly' ]] ||
  fail "expected only the box 'load picture failly', saw: $boxes"
if kill -0 "$app_pid" 2>/dev/null; then
  stop_app # waiting for the box's OK: nothing more to see
else
  status=0
  wait "$app_pid" || status=$?
  app_pid=
  ((status < 128)) || fail "qzt617 died from signal $((status - 128)) after the box"
fi

echo "installed layout, start and the missing-library box: OK"
