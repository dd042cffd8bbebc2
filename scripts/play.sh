#!/usr/bin/env bash
# Installs what is missing, builds, and plays the show. Without a display the
# show is rendered to a video file instead, and the script says where.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
build_dir=${BUILD_DIR:-build}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build_dir/demo"
fi

mkdir -p out
video="$PWD/out/show.mp4"
echo "No display: rendering the show to a video file instead (minutes on a software renderer)."
"$build_dir/tools/demotool/demotool" render --video "$video"
echo "The show is in $video"
