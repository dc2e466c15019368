#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
#   ./test.sh             the normal build (build/)
#   ./test.sh --sanitize  the same suite built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer (build-sanitize/)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-sanitize"
  extra=(-DDRAVIK_SANITIZE=ON)
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
# The sound test plays into a private PulseAudio server; run.sh never
# installs one, as a desktop may run another sound server.
# The classroom test starts a private mosquitto broker with its clients;
# the package test checks the package with lintian and appstreamcli.
export DRAVIK_EXTRA_PACKAGES="${DRAVIK_EXTRA_PACKAGES:-} pulseaudio pulseaudio-utils mosquitto mosquitto-clients openssl python3 lintian appstream"
"$root/scripts/setup.sh" "$build" "${extra[@]}"
echo "==> Running the tests"
cd "$build"
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)"
