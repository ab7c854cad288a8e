#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors) and runs every test; then checks the Debian package and runs the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."

# tidy checks the HTML export, poppler-utils reads the PDF export back, and the printed names need
# fonts with Chinese (WenQuanYi Micro Hei) beside DejaVu (Latin, Cyrillic, Arabic).
scripts/install-deps.sh qt6-base-dev fonts-dejavu-core fonts-wqy-microhei tidy poppler-utils desktop-file-utils \
    appstream dpkg-dev

cmake --preset test
cmake --build --preset test -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --preset test -j"$(nproc)"

# The Debian package of a release build, checked without installing it.
scripts/check-package.sh

# Every reader and the merge writer under libFuzzer, about 30 s each; fails on any finding.
scripts/fuzz.sh 30
