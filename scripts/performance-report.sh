#!/usr/bin/env bash
# Builds the benchmark program, runs it once, and writes its figures beside
# their goals to docs/performance.md, with the machine it ran on.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
table="$("$root/build/bin/dravik_bench" --markdown 2>/dev/null)"
cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
cores="$(nproc)"
mem="$(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo)"
os="$(. /etc/os-release && echo "$PRETTY_NAME")"
qt="$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)"
{
  echo "# Performance"
  echo
  echo "Made by \`scripts/performance-report.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'): one run of"
  echo "\`build/bin/dravik_bench\` (RelWithDebInfo build, Qt platform \`$QT_QPA_PLATFORM\`)."
  echo
  echo "Machine: $cpu, $cores cores, $mem, $os, Qt $qt."
  echo
  echo "$table"
  echo
  echo "Start-up and memory are medians of seven fresh processes each, measured in the same run"
  echo "for the program's main window and for an empty Qt Widgets window of the same size."
  echo "The empty window draws no text and no pictures, so it never loads the font database"
  echo "or glyphs; most of the main window's extra start-up time is exactly that (fontconfig"
  echo "start-up and the first glyphs of the instruction text and the pictures)."
} > "$root/docs/performance.md"
echo "wrote docs/performance.md"
