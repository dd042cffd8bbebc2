#!/usr/bin/env bash
# Builds the player for the browser with emscripten and writes the page to
# dist/demo-web/: index.html, demo.js, demo.wasm and demo.data (the show),
# which any static web server serves as they are. Installs what is missing
# first; SDL2, SDL2_mixer, libpng and zlib are built from Debian's sources
# once and then come from a cache (scripts/web-prefix.sh). The build goes to
# build-web (or WEB_BUILD_DIR); with --golden it also builds the golden-frame
# page that scripts/test-web.sh runs.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(demo)
[ "${1:-}" = "--golden" ] && targets+=(demo-golden)

./scripts/install-deps.sh web
# Debian's emscripten finds its JavaScript tools' modules there.
export NODE_PATH=/usr/share/nodejs

prefix=$(./scripts/web-prefix.sh)
build_dir=${WEB_BUILD_DIR:-build-web}
# Library locations found in another prefix are stale.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -qxF "DEMO_WEB_PREFIX:PATH=$prefix" "$build_dir/CMakeCache.txt"; then
  rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DDEMO_WEB_PREFIX="$prefix" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"

stage=dist/demo-web
rm -rf "$stage"
mkdir -p "$stage"
cp platform/web/index.html "$build_dir"/platform/web/demo.{js,wasm,data} "$stage/"
if [ ${#targets[@]} -gt 1 ]; then
  rm -rf "$build_dir/golden-page"
  mkdir -p "$build_dir/golden-page"
  cp platform/web/golden.html "$build_dir"/platform/web/demo-golden.{js,wasm,data} "$build_dir/golden-page/"
fi
echo "The page is in $PWD/$stage (serve it with: cd $stage && python3 -m http.server)"
