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
# The sections written by hand (the fuzzing figures) follow the benchmark's
# part from their first heading on, and are kept as they are.
kept="$(sed -n '/^## /,$p' "$root/docs/performance.md" 2>/dev/null || true)"
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
  echo "for three windows: the program's main window; a plain Qt Widgets window with the same 84"
  echo "controls as stock widgets (group boxes, push buttons, labels) at the same places, with"
  echo "the same captions, colours and fonts but no pictures and no instruction text, which is"
  echo "what a straightforward port of the window costs; and an empty Qt Widgets window of the"
  echo "same size. CPU time is user plus system time of the whole process up to the first paint."
  echo "The goals compare the main window with the plain one; the ratios to the empty window,"
  echo "which never loads a font or draws a glyph, are there for information."
  if [ -n "$kept" ]; then
    echo
    echo "$kept"
  fi
} > "$root/docs/performance.md"
echo "wrote docs/performance.md"
