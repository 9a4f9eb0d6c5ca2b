#!/usr/bin/env bash
# Installs the Debian packages the Halvenor Engine needs to build, test and play
# shows, when they are missing. Runs as root (CI) or through sudo.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libjpeg62-turbo-dev libsndfile1-dev libopenmpt-dev libpng-dev libx11-dev libxcomposite-dev
  libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  libassimp-dev
  xvfb xauth xdotool
  ffmpeg parallel
  clang libclang-rt-14-dev
  help2man dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
