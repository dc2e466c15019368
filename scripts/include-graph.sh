#!/usr/bin/env bash
# Lists which folder of src/ includes which: one line per pair,
# "from -> to (files)", where files counts the source files of `from` that
# include at least one header of `to`. `--dot` prints the same as a
# Graphviz digraph. Only the program's own headers ("folder/name.h") count.
# `--check` compares the pairs with the allowed ones, the lines of the
# "include-edges" block in docs/architecture.md, and fails on a pair that
# is not listed and on a listed pair that no longer occurs, so the map in
# the docs stays the map of the code.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root/src"
pairs="$(
  grep -rHoE --include='*.cpp' --include='*.h' '^#include "[a-z_]+/[A-Za-z0-9_./]+"' . |
    awk -F: '{
      f = substr($1, 3)
      from = f; sub(/\/.*/, "", from)
      if (from == f) from = "main.cpp"
      to = $2; sub(/^#include "/, "", to); sub(/\/.*/, "", to)
      if (to != from && !seen[f SUBSEP to]++) files[from " " to]++
    }
    END { for (p in files) print p, files[p] }' | sort
)"
case "${1:-}" in
--dot)
  echo "digraph includes {"
  echo "$pairs" | awk 'NF { printf "  \"%s\" -> \"%s\" [label=%s];\n", $1, $2, $3 }'
  echo "}"
  ;;
--check)
  doc="$root/docs/architecture.md"
  allowed="$(awk '/^```include-edges/ { inside = 1; next } inside && /^```/ { inside = 0 }
                  inside && NF { print }' "$doc" | sed -E 's/[[:space:]]+/ /g; s/^ //; s/ $//' | sort -u)"
  if [ -z "$allowed" ]; then
    echo "no include-edges block in $doc" >&2
    exit 2
  fi
  actual="$(echo "$pairs" | awk 'NF { printf "%s -> %s\n", $1, $2 }' | sort -u)"
  unlisted="$(comm -23 <(echo "$actual") <(echo "$allowed"))"
  gone="$(comm -13 <(echo "$actual") <(echo "$allowed"))"
  if [ -n "$unlisted" ]; then
    echo "Folders include each other where docs/architecture.md does not allow it:" >&2
    echo "$unlisted" | sed 's/^/  /' >&2
  fi
  if [ -n "$gone" ]; then
    echo "docs/architecture.md allows includes the code no longer has:" >&2
    echo "$gone" | sed 's/^/  /' >&2
  fi
  if [ -n "$unlisted$gone" ]; then
    echo "Fix the include, or change the include-edges block and the map above it." >&2
    exit 1
  fi
  echo "$(echo "$actual" | wc -l) folder includes, all in docs/architecture.md"
  ;;
*)
  echo "$pairs" | awk 'NF { printf "%s -> %s (%s)\n", $1, $2, $3 }'
  ;;
esac
