#!/usr/bin/env bash
# `cmake --install` puts the program, its desktop entry, its icons and its
# metainfo in their standard places, and nothing else; the entry and the
# metainfo pass the desktop's own validators where they are installed.
#
#   install-test.sh BUILD_DIR
set -euo pipefail

build="$1"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

expected="/usr/bin/lumivar
/usr/share/applications/org.lumivar.Lumivar.desktop
/usr/share/icons/hicolor/128x128/apps/lumivar.png
/usr/share/icons/hicolor/16x16/apps/lumivar.png
/usr/share/icons/hicolor/24x24/apps/lumivar.png
/usr/share/icons/hicolor/256x256/apps/lumivar.png
/usr/share/icons/hicolor/32x32/apps/lumivar.png
/usr/share/icons/hicolor/48x48/apps/lumivar.png
/usr/share/icons/hicolor/64x64/apps/lumivar.png
/usr/share/icons/hicolor/scalable/apps/lumivar.svg
/usr/share/metainfo/org.lumivar.Lumivar.metainfo.xml"
installed="$(cd "$dest" && find . -type f | sed 's/^\.//' | LC_ALL=C sort)"
if [ "$installed" != "$expected" ]; then
  echo "installed files differ from the expected ones:" >&2
  diff <(echo "$expected") <(echo "$installed") >&2 || true
  exit 1
fi

# Each icon is the size its folder says.
for png in "$dest"/usr/share/icons/hicolor/*/apps/lumivar.png; do
  size="$(basename "$(dirname "$(dirname "$png")")")"
  width=$((16#$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n')))
  height=$((16#$(od -An -tx1 -j20 -N4 "$png" | tr -d ' \n')))
  if [ "${width}x${height}" != "$size" ]; then
    echo "$png is ${width}x${height}, not $size" >&2
    exit 1
  fi
done

"$dest/usr/bin/lumivar" --version | grep -q '^lumivar '

entry="$dest/usr/share/applications/org.lumivar.Lumivar.desktop"
for line in 'Exec=lumivar -- %f' 'Icon=lumivar' 'Categories=Utility;Viewer;' 'MimeType=text/plain;text/x-log;'; do
  grep -qxF "$line" "$entry" || { echo "the desktop entry lacks $line" >&2; exit 1; }
done
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate --no-hints "$entry"
fi
if command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$dest/usr/share/metainfo/org.lumivar.Lumivar.metainfo.xml"
fi
echo "installed as expected"
