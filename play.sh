#!/usr/bin/env bash
# Installs what is missing, builds Pellora and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
bash scripts/install-deps.sh "${BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLORA_TESTS=OFF -DPELLORA_BENCH=OFF
cmake --build build --target pellora
exec ./build/pellora "$@"
