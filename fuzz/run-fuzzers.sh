#!/usr/bin/env bash
# Runs each fuzz target for a bounded time on a copy of its seed corpus and
# fails if any of them finds a crash, a broken invariant, a hang or runs out
# of memory.
#
#   fuzz/run-fuzzers.sh <build dir> [target...]
#
# The build directory is one configured with clang and -DORRINET_FUZZ=ON in
# which the target orrinet_fuzzers was built. FUZZ_SECONDS (default 30) is
# the time per target. Inputs that fail are kept under
# <build dir>/fuzz-artifacts/<target>/ with the target's log.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 <build dir> [target...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_coordinates fuzz_querylines fuzz_status fuzz_dispatcher fuzz_hub)
fi
seconds=${FUZZ_SECONDS:-30}

work=$(mktemp -d "${TMPDIR:-/tmp}/orrinet-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The window's fonts come from fontconfig, whose caches live for the whole
# run; any other leak still fails.
export LSAN_OPTIONS="suppressions=$here/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# A smaller quarantine than ASan's 256 MB keeps the runs fast and their
# memory low; an input's own allocations are still caught when freed twice
# or used after being freed.
export ASAN_OPTIONS="quarantine_size_mb=64${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen

final_stat() { # <log> <name>
  sed -n "s/^stat::$2: *//p" "$1" | tail -n 1
}

failed=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "== $target: not built ($binary)" >&2
    failed+=("$target")
    continue
  fi
  corpus="$work/$target/corpus"
  artifacts="$build/fuzz-artifacts/$target"
  rm -rf "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "$here/corpus/$target" ]; then
    cp -R "$here/corpus/$target/." "$corpus/"
  fi
  log="$work/$target/log"

  echo "== $target: ${seconds}s"
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
  status=$?

  last=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -n 1)
  echo "   executions: $(final_stat "$log" number_of_executed_units)" \
       " exec/s: $(final_stat "$log" average_exec_per_sec)" \
       " new units: $(final_stat "$log" new_units_added)" \
       " peak RSS: $(final_stat "$log" peak_rss_mb) MB"
  echo "   ${last:-(no status line)}"
  if [ $status -ne 0 ]; then
    cp "$log" "$artifacts/log"
    echo "   FAILED (exit status $status); last lines of the log:"
    grep -vE '^#[0-9]+[[:space:]]' "$log" | tail -n 40 | sed 's/^/   | /'
    echo "   input and log kept in $artifacts/"
    failed+=("$target")
  fi
done

passed=$(( ${#targets[@]} - ${#failed[@]} ))
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  echo "fuzz: $passed passed, ${#failed[@]} failed"
  exit 1
fi
echo "fuzzing passed: ${targets[*]}"
echo "fuzz: $passed passed, 0 failed"
