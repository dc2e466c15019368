#!/usr/bin/env bash
# Builds the Debian package automatiseren_<version>_<arch>.deb with CPack:
# the same set-up and build as run.sh (build/ unless another folder is
# given), then CPack. The package's path is the last line printed.
# Usage: scripts/package.sh [build-dir] [extra cmake args...]
#   e.g. scripts/package.sh build -DDRAVIK_PACKAGE_MAINTAINER="ICT <ict@school.nl>"
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
"$root/scripts/setup.sh" "$build" "$@"
out="$build/package"
log="$build/build.log"
echo "==> Making the Debian package (CPack)"
rm -f "$out"/automatiseren_*.deb
if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >>"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "CPack failed; the whole log is in $log" >&2
  exit 1
fi
deb="$(ls "$out"/automatiseren_*.deb)"
echo "    $(du -h "$deb" | cut -f1)  $(dpkg-deb -f "$deb" Depends)"
maintainer="$(dpkg-deb -f "$deb" Maintainer)"
if [[ $maintainer == *@localhost\>* ]]; then
  echo "    Maintainer: the placeholder '$maintainer', which lintian reports"
  echo "    (bogus-mail-host); a school or distributor sets its own with"
  echo "    scripts/package.sh $build -DDRAVIK_PACKAGE_MAINTAINER='Name <address>'"
fi
echo "$deb"
