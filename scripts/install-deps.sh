#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with.
# Idempotent: prints nothing and touches nothing when everything is present.
# With "windows": what cross-building the Windows packages needs instead; with
# "wine": what testing them under Wine needs; with "linux-package": what
# building the Linux package needs (the headers of every back-end SDL opens at
# run time); with "linux-package-test": what testing it in a chroot needs; with
# "web": what building the page and testing it in headless Chromium need.
set -euo pipefail

case "${1:-}" in
windows)
  packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev googletest dpkg-dev xz-utils cmake ninja-build zip icoutils)
  ;;
wine)
  packages=(wine wine64 wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
            xvfb xauth xdotool x11-utils libgl1-mesa-dri unzip)
  ;;
linux-package)
  packages=(
    build-essential cmake ninja-build meson pkg-config dpkg-dev xz-utils googletest libgtest-dev zlib1g-dev
    libx11-dev libxext-dev libxrandr-dev libxcursor-dev libxi-dev libxss-dev libxinerama-dev libxfixes-dev
    libxxf86vm-dev libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev libegl-dev libgl-dev
    libasound2-dev libpulse-dev libpipewire-0.3-dev libdbus-1-dev libudev-dev
  )
  ;;
linux-package-test)
  packages=(debootstrap xvfb xauth xdotool x11-utils binutils)
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

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# Wine's i386 side and a 32-bit GL driver, for the 32-bit Windows package.
case " ${missing[*]}" in
*:i386*) dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
