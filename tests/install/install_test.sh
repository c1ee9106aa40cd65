#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the layout, then starts
# the installed qzt617 (offscreen) against a private urc-sim:
#   - with everything installed it must reach its main window: still running
#     after a few seconds, no box shown, its libraries and pictures loaded from
#     the prefix;
#   - with one resource library removed from the prefix it must show exactly
#     the box "load picture failly" and not crash.
# usage: install_test.sh BUILD_DIR CMAKE PRIVATE_LIBDIR
set -euo pipefail

build=${1:?usage: install_test.sh BUILD_DIR CMAKE PRIVATE_LIBDIR}
cmake_command=${2:?}
WORK=$(mktemp -d /tmp/qzt617-install.XXXXXX)
prefix=$WORK/prefix
ROOT=$prefix
LIBDIR=${3:?}
source "$(dirname "$0")/lib_installed.sh"

"$cmake_command" --install "$build" --prefix "$prefix" >"$WORK/install.log" 2>&1 ||
  fail "cmake --install failed"

libdir=$LIBDIR
expected=(bin/qzt617 bin/urc-sim bin/urc-sim-panel bin/ir-encode
          "$libdir/libtovqel.so" "$libdir/libRorORuru.so"
          "$libdir/one1004.so" "$libdir/sne1004.so" "$libdir/fne1004.so"
          "$libdir/bne1004.so" "$libdir/dne1004.so"
          share/applications/qzt617.desktop share/icons/hicolor/scalable/apps/qzt617.svg
          share/doc/qzt617/copyright share/man/man1/qzt617.1.gz)
for file in "${expected[@]}"; do
  [[ -f "$prefix/$file" ]] || fail "not installed: $file"
done
for program in qzt617 urc-sim urc-sim-panel ir-encode; do
  [[ -x "$prefix/bin/$program" ]] || fail "bin/$program is not executable"
done
# The test variants of the resource libraries stay in the build tree.
[[ -z "$(find "$prefix" -path '*broken*' -o -path '*missing*')" ]] ||
  fail "test-only resource libraries were installed"

expect_run_path qzt617

# The desktop entry starts the installed program and names the installed icon.
desktop=$prefix/share/applications/qzt617.desktop
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is not an application"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -x "$prefix/bin/${exec_line%% *}" ]] || fail "desktop entry starts '$exec_line'"
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "no icon named '$icon'"

start_sim

# 1. Complete install: the main window comes up without a box.
expect_good_start

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
