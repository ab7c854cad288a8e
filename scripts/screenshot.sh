#!/usr/bin/env bash
# Builds the editor and takes the README's screenshot: the built-in sample, the first satellite
# expanded and its first transponder's programs listed, one of them renamed and another one's name
# being typed, drawn on Qt's offscreen platform.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshot.png}
scripts/install-deps.sh qt6-base-dev fonts-wqy-microhei

build=build # the release preset's folder
cmake --preset release
cmake --build --preset release -j2 --target ravelin
mkdir -p "$(dirname "$out")"
# The sample's second satellite is named in code page 936: show it in a Chinese locale, with
# settings of its own so that a code page chosen in the View menu does not count.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
XDG_CONFIG_HOME="$settings" LC_ALL=zh_CN.UTF-8 QT_QPA_PLATFORM=offscreen \
    "$build/app/ravelin" --sample --screenshot "$out" 2>/dev/null
echo "wrote $out"
