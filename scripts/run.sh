#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and starts the configuration tool on this PC's network.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target rvconfig
exec build/src/app/rvconfig
