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

if ! "$bin/urc-sim" status >/dev/null 2>&1; then
  "$bin/urc-sim" serve --image "$data/urc.img" >"$data/urc-sim.log" 2>&1 &
  for _ in $(seq 50); do
    "$bin/urc-sim" status >/dev/null 2>&1 && break
    sleep 0.1
  done
  echo "Emulated URC started (image: $data/urc.img, log: $data/urc-sim.log)"
fi

# The emulator's front panel stands for the world outside the program: the
# cable and an original remote whose keys press in front of the URC.
"$bin/urc-sim" panel >"$data/panel.log" 2>&1 &
exec "$bin/qzt617"
