#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages that are
# missing (only those, so a second run does not touch the network), then
# configures and builds. Usage: scripts/setup.sh [build-dir] [extra cmake args...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true

packages=(qt6-base-dev qt6-multimedia-dev qt6-serialbus-dev qt6-serialport-dev qt6-svg-dev
          libqt6svg6 cmake make g++ xvfb xauth fonts-comic-neue)
# Extra packages a caller needs (test.sh: a sound server for the sound test).
read -r -a extra_packages <<<"${DRAVIK_EXTRA_PACKAGES:-}"
packages+=("${extra_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs="$(nproc 2>/dev/null || echo 2)"
# A compiler cache, when the machine has one, makes rebuilds in other
# checkouts of the same tree cheap.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
fi
mkdir -p "$build"
log="$build/build.log"
echo "Building in $build (log: $log)"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" &&
       cmake --build "$build" -j"$jobs"; } >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "The build failed; the whole log is in $log" >&2
  exit 1
fi
