#!/usr/bin/env bash
# Builds the editor and takes the README's screenshot: the built-in sample, the first satellite
# expanded and its first transponder's programs listed, drawn on Qt's offscreen platform.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshot.png}
scripts/install-deps.sh qt6-base-dev

build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVELIN_BUILD_TESTS=OFF -DRAVELIN_BUILD_BENCH=OFF
cmake --build "$build" -j2 --target ravelin
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$build/app/ravelin" --sample --screenshot "$out"
echo "wrote $out"
