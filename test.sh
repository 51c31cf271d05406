#!/usr/bin/env bash
# Installs what is missing, builds Pellora, its tools and tests, and runs every test:
#   1. an optimised build (game, tools, unit tests, end-to-end tests, data checks, simulator);
#   2. a clang build with AddressSanitizer and UndefinedBehaviorSanitizer that runs the unit
#      tests again and gives each fuzz target a short run;
#   3. the Debian package made from the install rules, unpacked, validated and started.
# Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
bash scripts/install-deps.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
status=0

echo "== optimised build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLORA_TESTS=ON || exit 1
cmake --build build -j "$jobs" || exit 1

echo "== sanitizer build (clang, ASan + UBSan, fuzz targets)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPELLORA_SANITIZE=ON -DPELLORA_FUZZ=ON -DPELLORA_BENCH=OFF || exit 1
cmake --build build-asan -j "$jobs" || exit 1

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== sanitizer run: unit tests and fuzzers"
(cd build-asan && ctest --output-on-failure -j "$jobs" -L 'unit|fuzz') || status=1

echo "== optimised run: every test"
(cd build && ctest --output-on-failure -j "$jobs") || status=1

echo "== package: the .deb from the install rules, unpacked, validated and started"
bash tests/install/package_check.sh build || status=1

exit $status
