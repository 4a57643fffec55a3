#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libqt6opengl6-dev libgl-dev
  libmpv-dev libcurl4-openssl-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri ffmpeg mpv python3
  clang-format qt6-qpa-plugins fonts-dejavu-core
  libx11-dev libxtst-dev
  desktop-file-utils appstream dbus-daemon dbus-bin
  clang libclang-rt-14-dev lld util-linux
  libfluidsynth-dev timgm6mb-soundfont
  qt6-translations-l10n
  libexpat1-dev zlib1g-dev liblzma-dev libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
