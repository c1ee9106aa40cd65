#!/usr/bin/env bash
# Installs what is missing, builds, starts the emulated URC (with a factory
# image in the per-user data folder) unless one is running, and starts the
# program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh
tools/build.sh

bin=build/bin
data="${XDG_DATA_HOME:-$HOME/.local/share}/qzt617"
mkdir -p "$data"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display: running one learning cycle on a private X server instead."
  exec tools/demo-headless.sh "$bin" "$data/screenshots"
fi

# The emulator outlives the program (the next run uses it again); its id is
# kept so that the line below can say how to stop it.
sim_started=
if ! "$bin/urc-sim" status >/dev/null 2>&1; then
  "$bin/urc-sim" serve --image "$data/urc.img" >"$data/urc-sim.log" 2>&1 &
  echo $! >"$data/urc-sim.pid"
  sim_started="the emulated URC (image $data/urc.img), "
  for _ in $(seq 50); do
    "$bin/urc-sim" status >/dev/null 2>&1 && break
    sleep 0.1
  done
fi
sim_pid=$(cat "$data/urc-sim.pid" 2>/dev/null || true)
# Only while that id is still an emulator's (an old file may outlive it).
[[ -n "$sim_pid" && "$(readlink "/proc/$sim_pid/exe" 2>/dev/null)" == */urc-sim ]] || sim_pid=

# The emulator's front panel stands for the world outside the program: the
# cable and an original remote whose keys press in front of the URC.
"$bin/urc-sim" panel >"$data/panel.log" 2>&1 &
panel_pid=$!
echo "Started ${sim_started}its front panel and qzt617 (logs in $data); to stop: close the" \
  "QZT-617 window, then run: kill $panel_pid${sim_pid:+ $sim_pid}"
exec "$bin/qzt617"
