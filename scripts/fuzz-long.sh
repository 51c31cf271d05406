#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan + UBSan) in build-fuzz and runs each of them for
# longer than the short ctest runs, on a copy of its committed seeds.
#   scripts/fuzz-long.sh [seconds per target, default 600]
#   scripts/fuzz-long.sh --list      only names the targets it runs, one a line
# A crash leaves its input in build-fuzz/fuzz/long-<target>/; the script then exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
build=build-fuzz

# Every fuzz target has its seeds in fuzz/corpus/<target>, so the folders name them all.
targets=()
for corpus in fuzz/corpus/*/; do
  targets+=("$(basename "$corpus")")
done
if [[ "$seconds" == "--list" ]]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPELLORA_SANITIZE=ON -DPELLORA_FUZZ=ON -DPELLORA_BENCH=OFF
cmake --build "$build" --target "${targets[@]}" -j 2

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
for target in "${targets[@]}"; do
  work="$build/fuzz/long-$target"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp fuzz/corpus/"$target"/* "$work/corpus/"
  echo "== $target for ${seconds}s"
  if ! (cd "$work" && "../../$target" corpus -max_total_time="$seconds" -rss_limit_mb=2048 \
          -timeout=25 -artifact_prefix=./ -print_final_stats=1); then
    echo "== $target FAILED: crash input kept in $work" >&2
    status=1
  fi
done
exit $status
