#!/usr/bin/env bash
# Installs every Debian package Dictrava needs to build, run and test. Idempotent and quick when
# everything is already present. With --bench, also what the benchmarks need.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git clang-format clang libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-svg-dev qt6-tools-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml-workerscript
  libicu-dev libfftw3-dev libsoxr-dev libsndfile1-dev libpulse-dev
  libpocketsphinx-dev pocketsphinx-en-us pocketsphinx
  libx11-dev libxi-dev libxtst-dev libxkbcommon-dev
  bootstrap-icons
  flite sox pulseaudio pulseaudio-utils xvfb xdotool xclip imagemagick dbus dbus-x11 python3-tk
  libwayland-dev plasma-wayland-protocols sway qt6-wayland wl-clipboard libnss-wrapper python3-gi gir1.2-gtk-3.0
  desktop-file-utils appstream man-db xdg-desktop-portal
  debhelper dpkg-dev lintian librsvg2-bin ninja-build
)
# Recordings of people speaking, for the meeting benchmark's human voices.
[ "${1:-}" = "--bench" ] && PACKAGES+=(codec2-examples)

# One query for all of them, so that a run with nothing to do takes no time.
declare -A installed=()
while read -r p; do installed[$p]=1; done < <(dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null |
  awk '/ install ok installed$/ {print $1}')
missing=()
for p in "${PACKAGES[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
