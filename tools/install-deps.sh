#!/usr/bin/env bash
# Installs every Debian package Gremlok needs to build, run and be tested (Debian 12, as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-qpa-plugins libqt6opengl6-dev libgl-dev
  libzip-dev zip libinih-dev
  qt6-charts-dev libqt6charts6 libqt6sql6-sqlite
  libxcb1-dev libxcb-shm0-dev libx11-dev
  libpulse-dev
  fonts-dejavu-core
  xvfb xauth fluxbox trayer xdotool x11-utils x11-xserver-utils imagemagick
  pulseaudio pulseaudio-utils sox dbus-x11
  python3
  python3-dbus python3-gi
  xdg-utils shared-mime-info desktop-file-utils appstream man-db librsvg2-bin
  clang libclang-rt-14-dev
  qt6-wayland libwayland-dev libwayland-bin
  sway waybar grim wtype wayvnc pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
  xwayland swaybg dbus-user-session util-linux systemd passwd
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
