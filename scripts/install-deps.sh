#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with.
# Idempotent: prints nothing and touches nothing when everything is present.
# With "windows": what cross-building the Windows package needs instead; with
# "wine": what testing that package under Wine needs; with "web": what building
# the page and testing it in headless Chromium need.
set -euo pipefail

case "${1:-}" in
windows)
  packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest dpkg-dev xz-utils cmake ninja-build zip icoutils)
  ;;
wine)
  packages=(wine wine64 xvfb xauth xdotool x11-utils libgl1-mesa-dri unzip)
  ;;
web)
  packages=(emscripten cmake ninja-build dpkg-dev chromium nodejs)
  # Node.js from elsewhere may bring npm with it.
  command -v npm >/dev/null || packages+=(npm)
  ;;
*)
  packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev
    libsdl2-dev libsdl2-mixer-dev
    libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
    libpng-dev zlib1g-dev libcairo2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libvorbis-dev libogg-dev libsndfile1-dev libflac-dev libmpg123-dev
    libfreetype-dev fonts-dejavu-core
    lib3ds-dev libassimp-dev
    ffmpeg parallel xvfb xauth
  )
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
