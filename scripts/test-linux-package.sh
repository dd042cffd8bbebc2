#!/usr/bin/env bash
# CI for the Linux package: builds it (scripts/build-linux.sh --tests), checks
# that the player needs nothing but the C library at a version no newer than
# its read-me states, and runs it from the unpacked archive in a minimal
# Debian chroot that has a GL driver and ALSA's library and nothing else (no
# SDL, SDL_mixer or libpng), on a virtual X display outside it:
#   - the player, from a folder whose path has a space and non-ASCII letters,
#     started in another folder: it must ask "Fullscreen?", open an 800x600
#     window titled "Demo" and end with status 0 on Escape
#     (scripts/player-smoke.sh);
#   - the golden frames, built as the player is, compared with tests/golden
#     within the golden-frame tolerance.
# The chroot is made once and kept as a tarball under ~/.cache. Installs what
# is missing first. Needs root (chroot and bind mounts).
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
. scripts/player-smoke.sh

./scripts/install-deps.sh linux-package-test

started=$SECONDS
./scripts/build-linux.sh --tests
echo "Linux package build: $((SECONDS - started)) s"
build_dir=${LINUX_BUILD_DIR:-build-linux}

passes=0
failures=0
pass() { echo "  $*"; passes=$((passes + 1)); }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/demo-linux-test.XXXXXX)
chroot_dir=$work/chroot
xvfb_pid=""
player=""
mounts=()
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null || true
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "What the player needs"
mkdir -p "$work/unpacked"
tar -xzf dist/demo-linux-x64.tar.gz -C "$work/unpacked"
player_file=$work/unpacked/demo/demo
needed=$(readelf -d "$player_file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
others=$(echo "$needed" | tr ' ' '\n' | grep -Ev '^(libc|libm|libpthread|libdl|librt|ld-linux-x86-64)\.so\.[0-9.]+$' |
  grep . | tr '\n' ' ' || true)
[ -z "$others" ] && pass "only the C library's own parts: $needed" || fail "the player needs $others"
stated=$(grep -o 'GNU C library [0-9.]*' "$work/unpacked/demo/README.txt" | awk '{print $4}')
newest=$(objdump -T "$player_file" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -V | tail -1)
if [ -n "$stated" ] && [ "$(printf '%s\n%s\n' "$newest" "$stated" | sort -V | tail -1)" = "$stated" ]; then
  pass "the newest C library symbol is $newest, the read-me states $stated"
else
  fail "the player uses GLIBC_$newest, the read-me states \"${stated:-nothing}\""
fi

# Debian's minimal system with Mesa's GL (GLX for X11, EGL for the offscreen
# driver the golden frames render with) and ALSA's library, as every desktop has.
chroot_packages=(libgl1 libglx-mesa0 libgl1-mesa-dri libegl1 libegl-mesa0 libasound2)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/demo-linux-chroot
tarball=$cache/bookworm-minbase-$(echo "${chroot_packages[*]}" | sha256sum | cut -c1-10).tar
mkdir -p "$chroot_dir" "$cache"
if [ ! -f "$tarball" ]; then
  chroot_started=$SECONDS
  debootstrap --variant=minbase --include="$(IFS=,; echo "${chroot_packages[*]}")" bookworm "$chroot_dir" \
    http://deb.debian.org/debian >"$work/debootstrap.log" 2>&1 || { tail -20 "$work/debootstrap.log"; exit 1; }
  rm -rf "$chroot_dir"/var/cache/apt/archives/*.deb "$chroot_dir"/var/lib/apt/lists/*
  tar -C "$chroot_dir" --numeric-owner -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
  find "$cache" -name 'bookworm-*.tar' ! -path "$tarball" -delete
  echo "Chroot made in $((SECONDS - chroot_started)) s"
else
  tar -C "$chroot_dir" --numeric-owner -xf "$tarball"
fi
chroot_has() { chroot "$chroot_dir" dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
absent=true
for package in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libpng16-16 libglu1-mesa; do chroot_has "$package" && absent=false; done
$absent && pass "the chroot has no SDL2, SDL2_mixer, libpng or GLU" || fail "the chroot has SDL, its mixer, libpng or GLU"

bind() { # source, target inside the chroot
  mkdir -p "$chroot_dir$2"
  mount --bind "$1" "$chroot_dir$2"
  mounts+=("$chroot_dir$2")
}
bind /proc /proc
bind /dev /dev
# The golden test reads the show and the references where it was built.
bind "$root_dir" "$root_dir"
mount -o remount,bind,ro "$chroot_dir$root_dir"

# A display of our own, its socket where the chroot sees it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(cat "$work/display")"
bind /tmp/.X11-unix /tmp/.X11-unix
export DISPLAY=$display

# No sound card: an ALSA null device lets the player's real audio path open.
home=/home/viewer
mkdir -p "$chroot_dir$home"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$chroot_dir$home/.asoundrc"
in_chroot=(chroot "$chroot_dir" env -i HOME=$home DISPLAY="$display" PATH=/usr/bin:/bin)

echo "The player from the package, started from another folder"
package_dir="$home/Démo à voir"
mkdir -p "$chroot_dir$package_dir" "$chroot_dir$home/elsewhere"
tar -xzf dist/demo-linux-x64.tar.gz -C "$chroot_dir$package_dir"
smoke_test_player linux "${in_chroot[@]}" sh -c 'cd "$1" && exec "$2"' sh "$home/elsewhere" "$package_dir/demo/demo"

echo "Golden frames rendered in the chroot"
cp "$build_dir/tests/package/golden_frames_test" "$chroot_dir$home/"
if "${in_chroot[@]}" "$home/golden_frames_test" --gtest_brief=1 >"$work/golden.log" 2>&1; then
  pass "$(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$work/golden.log" | head -1): the show matches tests/golden"
else
  cat "$work/golden.log"
  fail "golden frames"
fi

echo "Linux package tests: $((SECONDS - started)) s in all"
echo "Linux package: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
