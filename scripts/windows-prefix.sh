#!/usr/bin/env bash
# Builds the libraries that the Windows player links statically (SDL2,
# SDL2_mixer, libpng, and GoogleTest for the tests) with mingw-w64, from
# Debian's own source packages at pinned versions, into a cache folder keyed
# by those versions, the compiler and this recipe. Prints the folder; a second
# run finds it and prints it at once. Progress goes to standard error.
# Expects the packages that scripts/build-windows.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source_log_name="windows libraries"
. "$root/scripts/debian-sources.sh"
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
recipe=$(cat "$root/scripts/windows-prefix.sh" "$root/scripts/debian-sources.sh" cmake/toolchains/mingw-w64-x86_64.cmake | sha256sum | cut -c1-10)
cache=${DEMO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/demo-windows}
prefix_for_versions() {
  prefix=$cache/sdl2-$sdl_version.mixer-$mixer_version.png-$png_version.gtest-$gtest_version.gcc-$compiler_version.$recipe
}
prefix_for_versions

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

resolve_source_versions
prefix_for_versions
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sources=$cache/sources
packages=(libsdl2=$sdl_version libsdl2-mixer=$mixer_version libpng1.6=$png_version)
fetch_sources "$sources" "${packages[@]}"

# Built beside the cache and put in its place only when whole: a failed or
# interrupted build leaves the libraries that were there.
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/prefix
unpack_sources "$sources" "$work" "${packages[@]}"

jobs=$(nproc)
cross=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage"
       -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-x86_64.cmake"
       -DDEMO_WINDOWS_PREFIX="$stage" -Wno-dev)
build() { # name, source folder, options...
  local name=$1 source=$2
  shift 2
  source_log "building $name"
  local started=$SECONDS
  cmake -S "$source" -B "$work/build-$name" "${cross[@]}" "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" -j"$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 ||
    { tail -40 "$work/$name.log" >&2; source_log "$name failed"; exit 1; }
  source_log "$name done in $((SECONDS - started)) s"
}

# Only what the player uses: video with OpenGL, audio, timers, threads, the
# program's own folder. Everything else is left out to shorten the build.
build SDL2 "$work/libsdl2_$sdl_version" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_CCACHE=OFF \
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF

# stb_vorbis is part of the mixer's own source: OGG needs no other library.
build SDL2_mixer "$work/libsdl2-mixer_$mixer_version" \
  -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF

# mingw's zlib comes as an archive and as a DLL: the archive it is.
build libpng "$work/libpng1.6_$png_version" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include

# GoogleTest from the sources that libgtest-dev ships.
build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=ON

# The pkg-config files name the folder they were installed in.
{ grep -rlIF "$stage" "$stage" || true; } | xargs -r sed -i "s|$stage|$prefix|g"
touch "$stage/.complete"
rm -rf "$prefix"
mv -T "$stage" "$prefix"
# Prefixes of other versions or recipes are of no more use.
find "$cache" -mindepth 1 -maxdepth 1 -name 'sdl2-*' ! -path "$prefix" -exec rm -rf {} +
echo "$prefix"
