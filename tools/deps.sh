#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing zukineo need,
# asking apt only for those that are missing.
set -euo pipefail
mode=${1:-run}
pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
      libmpv-dev libxrandr-dev libx11-dev libxcb1-dev fonts-ipafont-gothic)
if [ "$mode" = test ]; then
  pkgs+=(libgtest-dev libgmock-dev xserver-xorg-core xserver-xorg-video-dummy
         openbox xdotool x11-xserver-utils x11-apps x11-utils imagemagick ffmpeg mpv xauth
         dbus-x11 at-spi2-core python3-pyatspi python3-gi gir1.2-gtk-3.0 wmctrl fonts-dejavu-core)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
