#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/: the file readers (plans, lessons), the PLC server,
# the class broker's messages) in build-fuzz/
# with clang, libFuzzer and the address and undefined-behaviour sanitizers,
# and runs them one after the other.
#   scripts/fuzz.sh [seconds]  searches each target for that long (default
#                              60), starting from its seed corpus, its
#                              regression inputs and what earlier searches
#                              kept in build-fuzz/corpus/<target>/
#   scripts/fuzz.sh --seeds    runs each target once over its seed corpus
#                              and regression inputs only, without a random
#                              search: the same result every time (CI)
# Names after the first argument (plan_file, klas_messages, ...) choose the
# targets; without them every target runs.
# An input that crashes, hangs or trips a sanitizer is kept in
# build-fuzz/findings/<target>/ and the script fails. Such an input belongs
# in tests/fuzz/regressions/<target>/ and as a row in the ordinary tests.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIK_FUZZ_BUILD:-$root/build-fuzz}"
targets=(plan_file lesson_file installation_file plc_server klas_messages)

seconds=60
seeds=0
case "${1:-}" in
  --seeds) seeds=1 ;;
  '') ;;
  *[!0-9]* | 0)
    echo "usage: $0 [seconds per target | --seeds] [target...]" >&2
    exit 2
    ;;
  *) seconds=$1 ;;
esac
if [ $# -gt 1 ]; then
  shift
  # "fuzz_plc_server" and "plc_server" name the same target.
  set -- "${@#fuzz_}"
  for t in "$@"; do
    if [ ! -d "$root/tests/fuzz/corpus/$t" ]; then
      echo "no fuzz target $t; there are: ${targets[*]}" >&2
      exit 2
    fi
  done
  targets=("$@")
fi

# The runtime of libFuzzer and the sanitizers and llvm-symbolizer (for
# readable stack traces) are only recommended by clang-14: named here.
export DRAVIK_EXTRA_PACKAGES="${DRAVIK_EXTRA_PACKAGES:-} clang-14 libclang-rt-14-dev llvm-14"
export DRAVIK_BUILD_TARGETS="${targets[*]/#/fuzz_}"
"$root/scripts/setup.sh" "$build" -DDRAVIK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14

# A value such as "@Variant(...)" may announce a list of a billion
# entries, for which Qt reserves memory before it finds the data missing.
# Untouched, such a block costs the program nothing, but the address
# sanitizer marks all of it and takes many seconds. Here an allocation of
# over 1 GiB fails at once, as it would on a PC with little memory, which
# Qt and the readers cope with.
export ASAN_OPTIONS="abort_on_error=1:symbolize=1:allocator_may_return_null=1:max_allocation_size_mb=1024"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || true)}"
export QT_QPA_PLATFORM=offscreen

failed=0
for t in "${targets[@]}"; do
  program="$build/bin/fuzz_$t"
  seed="$root/tests/fuzz/corpus/$t"
  regressions="$root/tests/fuzz/regressions/$t"
  findings="$build/findings/$t"
  log="$build/fuzz_$t.log"
  mkdir -p "$findings"
  common=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/")
  # QSettings keeps every file it parsed in a cache of its own, so each
  # input leaves memory behind on purpose; a leak search after every input
  # would take nearly all the time. The readers own no memory by hand.
  [ "$t" = installation_file ] && common+=(-detect_leaks=0)
  if [ $seeds -eq 1 ]; then
    mapfile -t inputs < <(find "$seed" "$regressions" -type f ! -name '.*' | sort)
    printf '==> %s: %d seed and regression inputs\n' "$t" "${#inputs[@]}"
    if ! "$program" "${common[@]}" "${inputs[@]}" >"$log" 2>&1; then
      tail -n 40 "$log" >&2
      echo "    fuzz_$t failed on an input; the whole log is in $log" >&2
      failed=1
    fi
    continue
  fi
  work="$build/corpus/$t"
  mkdir -p "$work"
  printf '==> %s: searching for %d s (log: %s)\n' "$t" "$seconds" "$log"
  if ! "$program" "${common[@]}" -max_total_time="$seconds" -max_len=8192 \
    -dict="$root/tests/fuzz/$t.dict" -print_final_stats=1 \
    "$work" "$seed" "$regressions" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "    fuzz_$t found a fault: the input is in $findings/" >&2
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  kept=$(find "$work" -type f | wc -l)
  printf '    %s executions, %s inputs in the corpus\n' "${runs:-?}" "$kept"
done
exit $failed
