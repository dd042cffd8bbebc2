#!/usr/bin/env bash
# Cross-builds the player for 64-bit Windows and packs it with the show into
# dist/demo-windows-x64.zip. Installs what is missing first; SDL2, SDL2_mixer
# and libpng are built from Debian's sources once and then come from a cache
# (scripts/windows-prefix.sh). With --tests it also builds the tests that CI
# runs under Wine. The build goes to build-windows (or WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

with_tests=false
[ "${1:-}" = "--tests" ] && with_tests=true

./scripts/install-deps.sh windows

prefix=$(./scripts/windows-prefix.sh)
build_dir=${WINDOWS_BUILD_DIR:-build-windows}
# Library locations found in another prefix are stale.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -qxF "DEMO_WINDOWS_PREFIX:UNINITIALIZED=$prefix" "$build_dir/CMakeCache.txt"; then
  rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64-x86_64.cmake" -DDEMO_WINDOWS_PREFIX="$prefix" >/dev/null
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
x86_64-w64-mingw32-strip -o "$stage/demo.exe" "$build_dir/demo.exe"
cp -r data "$stage/data"
sed 's/$/\r/' scripts/windows-readme.txt >"$stage/README.txt"
zip_path=$PWD/dist/demo-windows-x64.zip
rm -f "$zip_path"
(cd "$stage" && zip -qrX "$zip_path" demo.exe README.txt data)
echo "The Windows package is in $zip_path"
