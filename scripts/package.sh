#!/usr/bin/env bash
# Builds a release of ravelin, ravelin-cli and tessary and makes a Debian package of them with
# CPack (the programs, the desktop file, the icon, the AppStream metainfo and the manual pages).
# The build's output goes to standard error; the last line on standard output is the path of the
# .deb, under build/packages/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh qt6-base-dev dpkg-dev >&2

build=build # the release preset's folder
cmake --preset release >&2
cmake --build --preset release -j"$(nproc)" >&2
if [ ! -x "$build/app/ravelin" ]; then
    echo "package: the editor was not built (Qt 6 not found?); no package made" >&2
    exit 1
fi

out="$build/packages"
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$PWD/$out" >&2
debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package: expected one .deb in $out, found: ${debs[*]}" >&2
    exit 1
fi
echo "$PWD/${debs[0]}"
