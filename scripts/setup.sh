#!/usr/bin/env bash
# Shared by run.sh, test.sh and package.sh: installs the Debian packages that
# are missing (only those, so a second run does not touch the network), then
# configures and builds. Each phase is named as it starts and the build shows
# CMake's percentage; the tools' own output goes to <build-dir>/build.log,
# whose tail is shown when a phase fails.
# Usage: scripts/setup.sh [build-dir] [extra cmake args...]
# DRAVIK_EXTRA_PACKAGES: more Debian packages to install (space separated).
# DRAVIK_BUILD_TARGETS: build only these targets (space separated), for a
# build without the pictures and sounds (the fuzz targets).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true

packages=(qt6-base-dev qt6-multimedia-dev qt6-serialbus-dev qt6-serialport-dev qt6-svg-dev
          libqt6svg6 libpaho-mqtt-dev cmake make g++ xvfb xauth fonts-comic-neue
          qt6-translations-l10n # Qt's own buttons and file dialogs in Dutch
          dpkg-dev file # dpkg-shlibdeps and file: the Debian package's dependencies
          twm xfonts-base xfonts-75dpi # the link-lost box test runs under a real window manager
          dbus at-spi2-core python3-pyatspi) # scripts/accessibility-dump.sh
# shellcheck disable=SC2206 # a space-separated list on purpose
packages+=(${DRAVIK_EXTRA_PACKAGES:-})

mkdir -p "$build"
log="$build/build.log"
: >"$log"
started=$SECONDS

phase() { printf '==> %s\n' "$*"; }

# Shows the end of the log and stops.
fail() {
  echo >&2
  tail -n 60 "$log" >&2
  echo "$1; the whole log is in $log" >&2
  exit 1
}

# Copies the build's output into the log and shows its progress: CMake's
# "[ 45%]" lines (Makefiles) or "[12/345]" step counts (Ninja). On a
# terminal one line is rewritten; elsewhere (CI) a line is printed every
# tenth of the way, so the output stays short.
progress() {
  local line pct what last=-10 tty=0
  [ -t 1 ] && tty=1
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    if [[ $line =~ ^\[\ *([0-9]+)%\]\ (.*)$ ]]; then
      pct=${BASH_REMATCH[1]}
      what=${BASH_REMATCH[2]}
    elif [[ $line =~ ^\[([0-9]+)/([0-9]+)\]\ (.*)$ ]]; then
      pct=$((BASH_REMATCH[1] * 100 / BASH_REMATCH[2]))
      what=${BASH_REMATCH[3]}
    else
      continue
    fi
    what=${what#Building CXX object }
    what=${what/CMakeFiles\/*.dir\//}
    what=${what%.o}
    if [ $tty -eq 1 ]; then
      printf '\r\033[K    [%3d%%] %s' "$pct" "${what:0:70}"
    elif [ $((pct / 10)) -gt $((last / 10)) ]; then
      printf '    [%3d%%] %s\n' "$pct" "$what"
      last=$pct
    fi
  done
  [ $tty -eq 1 ] && printf '\n'
  return 0
}

phase "Checking packages"
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  phase "Installing the missing packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  { "${sudo_cmd[@]}" apt-get update -qq &&
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
    >>"$log" 2>&1 || fail "Installing the packages failed"
else
  echo "    all ${#packages[@]} packages are installed"
fi

jobs="$(nproc 2>/dev/null || echo 2)"
# A compiler cache, when the machine has one, makes rebuilds in other
# checkouts of the same tree cheap.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
fi

phase "Configuring in $build (log: $log)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" \
  >>"$log" 2>&1 || fail "Configuring failed"

if [ -n "${DRAVIK_BUILD_TARGETS:-}" ]; then
  phase "Building ${DRAVIK_BUILD_TARGETS} with $jobs jobs"
  # shellcheck disable=SC2086 # a space-separated list on purpose
  if ! cmake --build "$build" -j"$jobs" --target ${DRAVIK_BUILD_TARGETS} 2>&1 | progress; then
    fail "The build failed"
  fi
  echo "    built in $((SECONDS - started)) s"
  exit 0
fi
# The pictures first, as a phase of their own: their tool is small, and the
# rest of the build can then use every core.
phase "Generating the pictures and sounds"
if ! cmake --build "$build" --target dravik_assets -j"$jobs" 2>&1 | progress; then
  fail "Generating the pictures and sounds failed"
fi
phase "Building the program, the tools and the tests with $jobs jobs"
if ! cmake --build "$build" -j"$jobs" 2>&1 | progress; then
  fail "The build failed"
fi
echo "    built in $((SECONDS - started)) s"
