#!/usr/bin/env bash
# Builds the libraries that a packaged player links statically, from Debian's
# own source packages at pinned versions, for one target:
#   windows-x64, windows-x86  SDL2, SDL2_mixer, libpng with mingw-w64, and
#                             GoogleTest for the tests that run under Wine;
#   linux-x64                 SDL2, SDL2_mixer, libpng and GLU with the host
#                             compiler, SDL opening its back-ends at run time.
# The result goes to a cache folder keyed by the target, the versions, the
# compiler and this recipe. Prints the folder; a second run finds it and
# prints it at once. Progress goes to standard error. Expects the packages
# that scripts/install-deps.sh installs for the target.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

target=${1:-}
toolchain=""
case "$target" in
windows-x64) triple=x86_64-w64-mingw32 toolchain=cmake/toolchains/mingw-w64-x86_64.cmake ;;
windows-x86) triple=i686-w64-mingw32 toolchain=cmake/toolchains/mingw-w64-i686.cmake ;;
linux-x64) triple="" ;;
*) echo "usage: $0 windows-x64|windows-x86|linux-x64" >&2; exit 2 ;;
esac

source_log_name="$target libraries"
. "$root/scripts/debian-sources.sh"
if [ -n "$triple" ]; then
  compiler_version=$($triple-g++-posix -dumpfullversion)
  zlib_archive=/usr/$triple/lib/libz.a
  zlib_include=/usr/$triple/include
  gtest_version=$(dpkg-query -W -f='${Version}' googletest)
else
  compiler_version=$(g++ -dumpfullversion)
  # Debian's own static build of its zlib source.
  zlib_archive=/usr/lib/x86_64-linux-gnu/libz.a
  zlib_include=/usr/include
fi
recipe=$(cat "$root/scripts/library-prefix.sh" "$root/scripts/debian-sources.sh" \
  ${toolchain:+"$root/$toolchain" "$root/cmake/toolchains/mingw-w64.cmake"} |
  sha256sum | cut -c1-10)
libraries=${DEMO_LIBRARY_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/demo-libraries}
cache=$libraries/$target
prefix_for_versions() {
  local extra=glu-$glu_version
  [ -n "$triple" ] && extra=gtest-$gtest_version
  prefix=$cache/sdl2-$sdl_version.mixer-$mixer_version.png-$png_version.$extra.gcc-$compiler_version.$recipe
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

# The sources are the same for every target.
sources=$libraries/sources
packages=(libsdl2=$sdl_version libsdl2-mixer=$mixer_version libpng1.6=$png_version)
fetch_sources "$sources" "${packages[@]}"
[ -n "$triple" ] || fetch_sources "$sources" "libglu=$glu_version"

# Built beside the cache and put in its place only when whole: a failed or
# interrupted build leaves the libraries that were there.
mkdir -p "$cache"
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/prefix
unpack_sources "$sources" "$work" "${packages[@]}"
# GLU's Debian revision only adds packaging (and the archive may lack that
# part): its upstream tarball, checked against the .dsc on fetching, will do.
if [ -z "$triple" ]; then
  mkdir "$work/libglu_$glu_version"
  tar -xzf "$sources/libglu_${glu_version%-*}.orig.tar.gz" -C "$work/libglu_$glu_version" --strip-components=1
fi

jobs=$(nproc)
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" -DCMAKE_PREFIX_PATH="$stage" -Wno-dev)
[ -n "$toolchain" ] && options+=(-DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" -DDEMO_LIBRARY_PREFIX="$stage")
build() { # name, source folder, options...
  local name=$1 source=$2
  shift 2
  source_log "building $name"
  local started=$SECONDS
  cmake -S "$source" -B "$work/build-$name" "${options[@]}" "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" -j"$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 ||
    { tail -40 "$work/$name.log" >&2; source_log "$name failed"; exit 1; }
  source_log "$name done in $((SECONDS - started)) s"
}

# Only what the player uses: video with OpenGL, audio, timers, threads, the
# program's own folder. Everything else is left out to shorten the build.
sdl_options=(-DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_CCACHE=OFF
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF
  -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_RENDER=OFF -DSDL_VULKAN=OFF)
if [ -n "$triple" ]; then
  sdl_options+=(-DSDL_OPENGLES=OFF)
else
  # On Linux SDL opens X11, Wayland, the GL driver, ALSA, PulseAudio and
  # PipeWire itself at run time (its *_SHARED options, on by default): their
  # headers must be here, their libraries need not be where the player runs.
  # EGL stays in for Wayland and the offscreen driver.
  sdl_options+=(-DSDL_RPATH=OFF -DSDL_X11=ON -DSDL_WAYLAND=ON -DSDL_ALSA=ON -DSDL_PULSEAUDIO=ON
    -DSDL_PIPEWIRE=ON -DSDL_OPENGL=ON -DSDL_OPENGLES=ON -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_ESD=OFF
    -DSDL_ARTS=OFF -DSDL_NAS=OFF -DSDL_KMSDRM=OFF -DSDL_DIRECTFB=OFF -DSDL_LIBSAMPLERATE=OFF)
fi
build SDL2 "$work/libsdl2_$sdl_version" "${sdl_options[@]}"

# stb_vorbis is part of the mixer's own source: OGG needs no other library.
build SDL2_mixer "$work/libsdl2-mixer_$mixer_version" \
  -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF

# zlib both ways is shipped; only the archive keeps it out of the run-time needs.
build libpng "$work/libpng1.6_$png_version" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY="$zlib_archive" -DZLIB_INCLUDE_DIR="$zlib_include"

if [ -n "$triple" ]; then
  # GoogleTest from the sources that libgtest-dev ships.
  build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=ON
else
  # The player's few GLU calls, as an archive whose GL calls land on the
  # player's own run-time table (platform/GLFunctions.*) instead of libGL.
  source_log "building GLU"
  started=$SECONDS
  meson setup "$work/build-GLU" "$work/libglu_$glu_version" --prefix="$stage" --libdir=lib \
      --buildtype=release -Ddefault_library=static -Dgl_provider=glvnd >"$work/GLU.log" 2>&1 &&
    meson install -C "$work/build-GLU" >>"$work/GLU.log" 2>&1 ||
    { tail -40 "$work/GLU.log" >&2; source_log "GLU failed"; exit 1; }
  source_log "GLU done in $((SECONDS - started)) s"
fi

# The pkg-config files name the folder they were installed in.
{ grep -rlIF "$stage" "$stage" || true; } | xargs -r sed -i "s|$stage|$prefix|g"
touch "$stage/.complete"
rm -rf "$prefix"
mv -T "$stage" "$prefix"
# Prefixes of other versions or recipes are of no more use.
find "$cache" -mindepth 1 -maxdepth 1 -name 'sdl2-*' ! -path "$prefix" -exec rm -rf {} +
echo "$prefix"
