#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and runs every test: the full build with warnings as errors, then the GUI-free
# layers again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRV_WERROR=ON
cmake --build build -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRV_WERROR=ON -DRV_SANITIZE=ON \
    -DRV_BUILD_GUI=OFF -DRV_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"

echo "== tests under AddressSanitizer and UBSan (GUI-free layers) =="
ctest --test-dir build-asan --output-on-failure -j"$jobs"
echo "== all tests =="
ctest --test-dir build --output-on-failure -j"$jobs"
