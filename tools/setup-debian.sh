#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, and only those missing.
# Safe to run again: with everything installed it does nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev libgl-dev libx11-dev libxrandr-dev libudev-dev
  libgif-dev libjpeg62-turbo-dev libpng-dev libcairo2-dev libimagequant-dev
  liblirc-dev nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core fonts-droid-fallback
  clang-format
  lirc
  help2man file lintian
  openbox weston xwayland qt6-wayland
  qemu-system-x86 busybox-static v4l-utils
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    SUDO=sudo
  else
    SUDO=
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The kernel the virtual-machine tests boot (tools/vm/run-in-vm.sh), unpacked
# into a cache rather than installed.
if [[ $(id -u) -ne 0 ]]; then
  sudo "$(dirname "$0")/vm/fetch-kernel.sh" /var/cache/qzt617-vm
else
  "$(dirname "$0")/vm/fetch-kernel.sh" /var/cache/qzt617-vm
fi
