#!/usr/bin/env bash
# Installs what is missing, builds, writes the built-in sample database and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRAVELIN_BUILD_TESTS=OFF -DRAVELIN_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
"$build/cli/ravelin-cli" sample "$build/sample.db"
"$build/cli/ravelin-cli" dump "$build/sample.db"
