#!/bin/sh
# Runs clang-tidy with the repository's .clang-tidy over every source file of
# src/. Needs a configured build folder with compile_commands.json (CMake
# writes it); the first argument names it, build-hard by default.
#   scripts/clang-tidy.sh [build-folder] [extra clang-tidy arguments...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-hard"}
[ $# -gt 0 ] && shift
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no compile_commands.json in $build: configure it first, e.g." >&2
    echo "  cmake -S $root -B $build" >&2
    exit 2
fi
# Generated sources (moc, resources) are not ours: only files under src/.
files=$(find "$root/src" -name '*.cpp' | sort)
jobs=$(nproc 2>/dev/null || echo 2)
if command -v run-clang-tidy >/dev/null 2>&1; then
    exec run-clang-tidy -quiet -p "$build" -j "$jobs" "$@" $(printf '%s\n' $files | sed 's/[.+]/\\&/g; s/^/^/; s/$/$/')
fi
status=0
for f in $files; do
    clang-tidy --quiet -p "$build" "$@" "$f" || status=1
done
exit $status
