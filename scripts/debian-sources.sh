# shellcheck shell=bash
# Sourced by the scripts that build libraries from Debian's own source
# packages (scripts/library-prefix.sh and its kin): the pinned versions, the
# deb-src entry they need, fetching them into a cache and unpacking them.
# Log lines go to standard error with the caller's $source_log_name.

sdl_version=2.26.5+dfsg-1
mixer_version=2.6.2+dfsg-2
png_version=1.6.39-2+deb12u5
glu_version=9.0.2-1.1

source_log() { echo "${source_log_name:-libraries}: $*" >&2; }
source_sudo=""
[ "$(id -u)" -ne 0 ] && source_sudo="sudo"

has_source() { apt-cache showsrc "$1" 2>/dev/null | grep -qx "Version: $2"; }

# The pinned version, or, once a point release has replaced it in the archive,
# the newest the archive holds (said on standard error).
resolve_version() { # package, pinned version
  if has_source "$1" "$2"; then
    echo "$2"
    return
  fi
  local newest
  newest=$(apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -1)
  [ -n "$newest" ] || { source_log "no source package $1 in the archive"; exit 1; }
  source_log "$1 $2 is no longer in the archive; building $newest"
  echo "$newest"
}

# apt-get source needs a deb-src entry for the archive the binaries come from.
# Sets sdl_version, mixer_version, png_version and glu_version to what the
# archive has.
resolve_source_versions() {
  if ! has_source libsdl2 "$sdl_version" || ! has_source libsdl2-mixer "$mixer_version" ||
     ! has_source libpng1.6 "$png_version" || ! has_source libglu "$glu_version"; then
    source_log "adding Debian's source archive"
    $source_sudo tee /etc/apt/sources.list.d/demo-debian-sources.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $source_sudo apt-get update -qq
  fi
  sdl_version=$(resolve_version libsdl2 "$sdl_version")
  mixer_version=$(resolve_version libsdl2-mixer "$mixer_version")
  png_version=$(resolve_version libpng1.6 "$png_version")
  glu_version=$(resolve_version libglu "$glu_version")
}

# Downloads each package=version into the folder once.
fetch_sources() { # folder, package=version...
  local folder=$1 package name version
  shift
  mkdir -p "$folder"
  for package in "$@"; do
    name=${package%%=*}
    version=${package#*=}
    [ -f "$folder/${name}_$version.dsc" ] ||
      (cd "$folder" && apt-get source --download-only -qq "$package" 2>&1 |
        grep -v '^W: Download is performed unsandboxed' >&2 || true)
    [ -f "$folder/${name}_$version.dsc" ] || { source_log "could not fetch the source of $package"; exit 1; }
  done
}

# Unpacks the fetched package=version into destination/name_version.
unpack_sources() { # folder, destination, package=version...
  local folder=$1 destination=$2 package name
  shift 2
  for package in "$@"; do
    name=${package%%=*}_${package#*=}
    dpkg-source --no-check -x "$folder/$name.dsc" "$destination/$name" >/dev/null
  done
}
