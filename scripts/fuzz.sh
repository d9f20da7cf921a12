#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and UndefinedBehavior-
# Sanitizer on, in build-fuzz/) and runs each for SECONDS (default 20) on a copy of its seed
# corpus fuzz/corpus/<target>/. Fails when a target crashes, hangs or breaks one of its
# properties; the input that did it is kept as build-fuzz/fuzz-run/<target>/crash-*.
#
#   scripts/fuzz.sh [SECONDS] [TARGET]...   (every target when none is named)
#   QP_FUZZ_BUILD_DIR=DIR scripts/fuzz.sh ...  (build and run in DIR instead of build-fuzz/)
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH="${1:-20}"
case "$SECONDS_EACH" in
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [SECONDS] [TARGET]..." >&2
    exit 2
    ;;
esac
shift $(($# > 0 ? 1 : 0))
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do TARGETS+=("$(basename "$source" .cpp)"); done
fi
for target in "${TARGETS[@]}"; do
  if [ ! -f "fuzz/$target.cpp" ]; then
    echo "fuzz: no target $target (fuzz/$target.cpp)" >&2
    exit 2
  fi
done
BUILD_DIR="${QP_FUZZ_BUILD_DIR:-build-fuzz}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQP_BUILD_GUI=OFF -DQP_BUILD_TESTS=OFF -DQP_BUILD_BENCH=OFF -DQP_BUILD_FUZZ=ON
cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${TARGETS[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
summary=()
for target in "${TARGETS[@]}"; do
  run="$BUILD_DIR/fuzz-run/$target"
  rm -rf "$run"
  mkdir -p "$run/corpus"
  if [ -d "fuzz/corpus/$target" ]; then cp -R "fuzz/corpus/$target/." "$run/corpus/"; fi
  echo "== $target: $SECONDS_EACH s"
  status=0
  "$BUILD_DIR/bin/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$run/" "$run/corpus" >"$run/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$run/log" | tail -1)
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    grep -E "property broken|ERROR|SUMMARY|Test unit written|runtime error" "$run/log" || tail -20 "$run/log"
    summary+=("$target: FAILED (exit $status), see $run/log")
  else
    summary+=("$target: ${runs:-?} runs, ${rate:-?} exec/s, corpus $(find "$run/corpus" -type f | wc -l) inputs")
  fi
done

echo "== Fuzz summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
