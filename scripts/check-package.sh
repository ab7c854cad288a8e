#!/usr/bin/env bash
# Makes the Debian package with scripts/package.sh and checks it without installing it: unpacks it
# into a temporary folder and runs the programs from there, and validates its desktop file and
# AppStream metainfo. Fails on the first problem.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev desktop-file-utils appstream

fail() {
    echo "check-package: $*" >&2
    exit 1
}

deb=$(scripts/package.sh | tail -n 1)
[ -f "$deb" ] || fail "scripts/package.sh named no package file: '$deb'"
echo "== $deb"
dpkg-deb -f "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $lib"[\ ,]* ]] || fail "Depends lacks $lib: $depends"
done

metainfo=usr/share/metainfo/org.ravelin.ravelin.metainfo.xml
for f in usr/bin/ravelin usr/bin/ravelin-cli usr/bin/tessary usr/share/applications/ravelin.desktop \
    usr/share/icons/hicolor/256x256/apps/ravelin.png "$metainfo" usr/share/man/man1/ravelin-cli.1.gz \
    usr/share/man/man1/tessary.1.gz; do
    [ -s "$root/$f" ] || fail "the package lacks /$f"
done
for page in ravelin-cli tessary; do
    gzip -dc "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH " || fail "$page.1.gz is no manual page"
done

cli="$root/usr/bin/ravelin-cli"
version=$("$cli" --version) || fail "ravelin-cli --version failed"
[ "$version" = "ravelin-cli $(dpkg-deb -f "$deb" Version)" ] || fail "ravelin-cli --version says '$version'"
"$cli" sample "$work/out.db" || fail "ravelin-cli sample failed"
[ -s "$work/out.db" ] || fail "ravelin-cli sample made no file"
"$cli" info "$work/out.db" | grep -q "^satellites: 2$" || fail "ravelin-cli cannot read what it wrote"

head -c 2097152 /dev/urandom >"$work/image.bin"
"$root/usr/bin/tessary" "$work/image.bin" "$work/usb.bin" >"$work/tessary.log" ||
    fail "tessary exited with $?: $(cat "$work/tessary.log")"
size=$(stat -c %s "$work/usb.bin")
[ "$size" -eq 2097664 ] || fail "tessary wrote $size bytes, not 2097664"

QT_QPA_PLATFORM=offscreen "$root/usr/bin/ravelin" --sample --screenshot "$work/shot.png" 2>/dev/null ||
    fail "the editor did not start"
[ -s "$work/shot.png" ] || fail "the editor drew nothing"

desktop-file-validate "$root/usr/share/applications/ravelin.desktop" || fail "desktop-file-validate refused the desktop file"
appstreamcli validate --no-net "$root/$metainfo" || fail "appstreamcli refused the metainfo"
echo "check-package: $(basename "$deb") is sound"
