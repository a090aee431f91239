#!/bin/sh
# Builds the fuzz targets (clang, the "fuzz" preset) and runs each one for SECONDS on a copy
# of its seed corpus. Fails on any crash, leak, time-out or sanitizer report; the inputs that
# failed are kept in build/fuzz/artifacts/.
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS}
cd "$(dirname "$0")/.."
top=$(pwd)

cmake --preset fuzz
cmake --build --preset fuzz -j 2

# The targets write files on every run: a memory file system keeps that fast where there is one.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; else base=${TMPDIR:-/tmp}; fi
work=$(mktemp -d "$base/fuzz-run-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

failed=0
for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  exe="$top/build/fuzz/fuzz/$name"
  dir="$work/$name"
  mkdir -p "$dir/corpus" "$dir/tmp"
  if [ -d "fuzz/corpus/$name" ]; then cp -R "fuzz/corpus/$name/." "$dir/corpus/"; fi
  set -- -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/"
  if [ -f "fuzz/$name.dict" ]; then set -- "$@" -dict="$top/fuzz/$name.dict"; fi
  echo "+ $name for ${seconds}s"
  rc=0
  TMPDIR="$dir/tmp" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$exe" "$@" "$dir/corpus" >"$dir/log" 2>&1 || rc=$?
  # The last status line: executions, coverage, features, speed.
  grep -E '^#[0-9]+' "$dir/log" | tail -n 1 || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$dir/log" || true
  if [ "$rc" -ne 0 ] ||
    grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: ' "$dir/log"; then
    echo "FAILED: $name (exit $rc)"
    grep -E -A 40 'ERROR:|runtime error:|broke its contract' "$dir/log" | head -n 80 || tail -n 40 "$dir/log"
    mkdir -p "$top/build/fuzz/artifacts"
    for a in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
      [ -e "$a" ] && cp "$a" "$top/build/fuzz/artifacts/$name-$(basename "$a")" && \
        echo "  input kept: build/fuzz/artifacts/$name-$(basename "$a")"
    done
    failed=1
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzz: failures found"
  exit 1
fi
echo "fuzz: every target ran ${seconds}s with no failure"
