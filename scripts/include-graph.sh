#!/usr/bin/env bash
# Lists which folder of src/ includes which: one line per pair,
# "from -> to (files)", where files counts the source files of `from` that
# include at least one header of `to`. `--dot` prints the same as a
# Graphviz digraph. Only the program's own headers ("folder/name.h") count.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root/src"
pairs="$(
  for f in $(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort); do
    from="${f%%/*}"
    if [ "$from" = "$f" ]; then from="main.cpp"; fi
    { grep -hoE '^#include "[a-z_]+/[A-Za-z0-9_./]+"' "$f" || true; } | sed -E 's/#include "([a-z_]+)\/.*/\1/' |
      sort -u | while read -r to; do
        if [ "$to" != "$from" ]; then echo "$from $to $f"; fi
      done
  done | awk '{print $1, $2}' | sort | uniq -c | awk '{print $2, $3, $1}'
)"
if [ "${1:-}" = "--dot" ]; then
  echo "digraph includes {"
  echo "$pairs" | awk 'NF { printf "  \"%s\" -> \"%s\" [label=%s];\n", $1, $2, $3 }'
  echo "}"
else
  echo "$pairs" | awk 'NF { printf "%s -> %s (%s)\n", $1, $2, $3 }'
fi
