#!/usr/bin/env bash
# Builds the libraries that the browser player links (SDL2, SDL2_mixer,
# libpng, zlib) with emscripten, from Debian's own source packages at pinned
# versions, into a cache folder keyed by those versions, the compiler and this
# recipe. Prints the folder; a second run finds it and prints it at once.
# Progress goes to standard error. Expects the packages that
# scripts/build-web.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source_log_name="web libraries"
. "$root/scripts/debian-sources.sh"
zlib_version=1:1.2.13.dfsg-1
compiler_version=$(emcc -dumpversion)
recipe=$(cat "$root/scripts/web-prefix.sh" "$root/scripts/debian-sources.sh" | sha256sum | cut -c1-10)
cache=${DEMO_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/demo-web}
prefix_for_versions() {
  prefix=$cache/sdl2-$sdl_version.mixer-$mixer_version.png-$png_version.zlib-${zlib_version#*:}.emcc-$compiler_version.$recipe
}
prefix_for_versions

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

resolve_source_versions
zlib_version=$(resolve_version zlib "$zlib_version")
prefix_for_versions
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sources=$cache/sources
packages=(libsdl2=$sdl_version libsdl2-mixer=$mixer_version libpng1.6=$png_version)
fetch_sources "$sources" "${packages[@]}"
# zlib's version has an epoch, which its file names leave out.
[ -f "$sources/zlib_${zlib_version#*:}.dsc" ] ||
  (cd "$sources" && apt-get source --download-only -qq "zlib=$zlib_version" 2>&1 |
    grep -v '^W: Download is performed unsandboxed' >&2 || true)
[ -f "$sources/zlib_${zlib_version#*:}.dsc" ] || { source_log "could not fetch the source of zlib"; exit 1; }
packages+=(zlib=${zlib_version#*:})

# Built beside the cache and put in its place only when whole: a failed or
# interrupted build leaves the libraries that were there.
mkdir -p "$cache"
work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/prefix
mkdir -p "$stage/include" "$stage/lib"
unpack_sources "$sources" "$work" "${packages[@]}"
source_folder() { echo "$work/$1_${2#*:}"; } # dpkg-source drops the epoch

# The emscripten port of SDL2 would be downloaded at build time: this is
# Debian's instead, with only what the player uses (video with WebGL, audio,
# timers, keyboard events).
started=$SECONDS
source_log "building SDL2"
emcmake cmake -S "$(source_folder libsdl2 "$sdl_version")" -B "$work/build-sdl2" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" -Wno-dev \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_CCACHE=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF \
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_FILESYSTEM=OFF \
  >"$work/sdl2.log" 2>&1 &&
  cmake --build "$work/build-sdl2" -j"$(nproc)" >>"$work/sdl2.log" 2>&1 &&
  cmake --install "$work/build-sdl2" >>"$work/sdl2.log" 2>&1 ||
  { tail -40 "$work/sdl2.log" >&2; source_log "SDL2 failed"; exit 1; }
source_log "SDL2 done in $((SECONDS - started)) s"

# The other three are a list of C files each: compiled here without their
# build systems, which look for a host SDL or a shared zlib.
archive() { # name, include folders (colon-separated), defines, sources...
  local name=$1 defines=$3 file objects=() includes=()
  IFS=: read -ra includes <<<"$2"
  includes=("${includes[@]/#/-I}")
  shift 3
  source_log "building $name"
  mkdir -p "$work/obj-$name"
  for file in "$@"; do
    objects+=("$work/obj-$name/$(basename "${file%.c}").o")
    # shellcheck disable=SC2086
    emcc -O2 -c $defines "${includes[@]}" "$file" -o "${objects[-1]}" >>"$work/$name.log" 2>&1 ||
      { tail -20 "$work/$name.log" >&2; source_log "$name failed"; exit 1; }
  done
  emar rcs "$stage/lib/lib$name.a" "${objects[@]}"
}

zlib=$(source_folder zlib "$zlib_version")
archive z "$zlib" "-DHAVE_UNISTD_H" "$zlib"/{adler32,compress,crc32,deflate,gzclose,gzlib,gzread,gzwrite,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c
cp "$zlib"/{zlib.h,zconf.h} "$stage/include/"

png=$(source_folder libpng1.6 "$png_version")
cp "$png/scripts/pnglibconf.h.prebuilt" "$png/pnglibconf.h"
archive png "$png:$stage/include" "" \
  "$png"/{png,pngerror,pngget,pngmem,pngpread,pngread,pngrio,pngrtran,pngrutil,pngset,pngtrans,pngwio,pngwrite,pngwtran,pngwutil}.c
cp "$png"/{png.h,pngconf.h,pnglibconf.h} "$stage/include/"

# WAV and OGG only; stb_vorbis is part of the mixer's own source.
mixer=$(source_folder libsdl2-mixer "$mixer_version")
archive SDL2_mixer "$mixer/include:$mixer/src:$mixer/src/codecs:$stage/include/SDL2" \
  "-DMUSIC_WAV -DMUSIC_OGG -DOGG_USE_STB" "$mixer"/src/*.c "$mixer"/src/codecs/*.c
cp "$mixer/include/SDL_mixer.h" "$stage/include/SDL2/"

touch "$stage/.complete"
rm -rf "$prefix"
mv -T "$stage" "$prefix"
# Prefixes of other versions or recipes are of no more use.
find "$cache" -mindepth 1 -maxdepth 1 -name 'sdl2-*' ! -path "$prefix" -exec rm -rf {} +
echo "$prefix"
