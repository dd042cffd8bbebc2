#!/usr/bin/env bash
# Cross-builds the player for Windows and packs it with the show into
# dist/demo-windows-x64.zip, or with "x86" for 32-bit Windows into
# dist/demo-windows-x86.zip. Installs what is missing first; SDL2, SDL2_mixer
# and libpng are built from Debian's sources once and then come from a cache
# (scripts/library-prefix.sh). With --tests it also builds the tests that CI
# runs under Wine. The build goes to build-windows or build-windows-x86 (or
# WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

with_tests=false
arch=x64
for argument in "$@"; do
  case "$argument" in
  --tests) with_tests=true ;;
  x64 | x86) arch=$argument ;;
  *) echo "usage: $0 [--tests] [x64|x86]" >&2; exit 2 ;;
  esac
done
if [ "$arch" = x64 ]; then
  triple=x86_64-w64-mingw32 toolchain=mingw-w64-x86_64.cmake default_build_dir=build-windows
else
  triple=i686-w64-mingw32 toolchain=mingw-w64-i686.cmake default_build_dir=build-windows-x86
fi

./scripts/install-deps.sh windows

prefix=$(./scripts/library-prefix.sh "windows-$arch")
build_dir=${WINDOWS_BUILD_DIR:-$default_build_dir}
# Library locations found in another prefix are stale.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -qxF "DEMO_LIBRARY_PREFIX:UNINITIALIZED=$prefix" "$build_dir/CMakeCache.txt"; then
  rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$toolchain" -DDEMO_LIBRARY_PREFIX="$prefix" >/dev/null
if $with_tests; then
  cmake --build "$build_dir" -j"$(nproc)"
else
  cmake --build "$build_dir" -j"$(nproc)" --target demo
fi

# demo.exe, the show and a read-me at the top of the archive: Windows unpacks
# it into a folder of its own name.
stage=$build_dir/package
rm -rf "$stage"
mkdir -p "$stage" dist
$triple-strip -o "$stage/demo.exe" "$build_dir/demo.exe"
cp -r data "$stage/data"
readme=(-e 's/$/\r/')
[ "$arch" = x86 ] && readme+=(-e 's/any 64-bit Windows/any Windows, 32-bit or 64-bit,/')
sed "${readme[@]}" scripts/windows-readme.txt >"$stage/README.txt"
zip_path=$PWD/dist/demo-windows-$arch.zip
rm -f "$zip_path"
(cd "$stage" && zip -qrX "$zip_path" demo.exe README.txt data)
echo "The Windows package is in $zip_path"
