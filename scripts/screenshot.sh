#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Pictures the main window for docs/main-window.png: the window-in-namespaces test runs on a
# virtual X display (Xvfb), searches the simulated units, selects one and saves the window with the
# network page filled from it. Needs root for the namespaces.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=$(realpath -m "${1:-docs/main-window.png}")
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target gui_tests
RV_SCREENSHOT="$out" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" \
    build/tests/gui/gui_tests --gtest_filter='NetnsWindow.*'
echo "screenshot: $out"
