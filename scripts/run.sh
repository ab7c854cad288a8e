#!/usr/bin/env bash
# Installs what is missing, builds, and opens the editor on the built-in sample database.
# Without a display it prints the sample instead and saves a picture of the editor on it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh qt6-base-dev fonts-wqy-microhei

build=build # the release preset's folder
cmake --preset release
cmake --build --preset release -j"$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/app/ravelin" --sample
fi
echo "No display: printing the sample and saving a picture of the editor to $build/ravelin.png"
"$build/cli/ravelin-cli" sample "$build/sample.db"
"$build/cli/ravelin-cli" dump "$build/sample.db"
QT_QPA_PLATFORM=offscreen "$build/app/ravelin" --sample --screenshot "$build/ravelin.png"
