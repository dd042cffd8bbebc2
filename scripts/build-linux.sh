#!/usr/bin/env bash
# Builds the player for Linux desktops and packs it with the show into
# dist/demo-linux-x64.tar.gz: a folder demo/ with the player, the show, a
# read-me, a desktop entry and its icon. Installs what is missing first; SDL2,
# SDL2_mixer, libpng and GLU are built from Debian's sources once and then
# come from a cache (scripts/library-prefix.sh linux-x64). With --tests it also
# builds the golden-frame test the same way, for scripts/test-linux-package.sh.
# The build goes to build-linux (or LINUX_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

with_tests=false
[ "${1:-}" = "--tests" ] && with_tests=true

./scripts/install-deps.sh linux-package

prefix=$(./scripts/library-prefix.sh linux-x64)
build_dir=${LINUX_BUILD_DIR:-build-linux}
# Library locations found in another prefix are stale.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -qxF "DEMO_LIBRARY_PREFIX:UNINITIALIZED=$prefix" "$build_dir/CMakeCache.txt"; then
  rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DDEMO_PACKAGE=ON -DDEMO_LIBRARY_PREFIX="$prefix" >/dev/null
targets=(demo)
$with_tests && targets+=(golden_frames_test)
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"

stage=$build_dir/package
rm -rf "$stage"
mkdir -p "$stage/demo" dist
strip -o "$stage/demo/demo" "$build_dir/demo"
cp -r data "$stage/demo/data"
cp scripts/linux-readme.txt "$stage/demo/README.txt"
cp scripts/demo.desktop "$stage/demo/demo.desktop"
cp data/png/icon.png "$stage/demo/demo.png"
archive=$PWD/dist/demo-linux-x64.tar.gz
rm -f "$archive"
tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner -czf "$archive" demo
echo "The Linux package is in $archive"
