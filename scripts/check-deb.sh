#!/usr/bin/env bash
# Checks the Debian package on a fresh Debian 12: builds it (cpack -G DEB),
# makes a clean minimal Debian 12 root with debootstrap under build/debian12
# (once; each check works on a copy of it), installs the package there with
# apt, which must find every dependency from the package's own list, and
# runs `lumivar --version` and a batch run on a small log inside it.
# Needs root (debootstrap, chroot) and the network (the Debian mirror).
#
#   scripts/check-deb.sh
set -euo pipefail

LUMIVAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${LUMIVAR_BUILD:-$LUMIVAR_ROOT/build}"
BASE="$BUILD/debian12/base"
MIRROR="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"

if [ "$(id -u)" -ne 0 ]; then
  echo "check-deb.sh needs root: debootstrap and chroot" >&2
  exit 1
fi
command -v debootstrap >/dev/null 2>&1 || apt-get install -y --no-install-recommends debootstrap

cmake --build "$BUILD" -j "$(nproc)" --target lumivar
(cd "$BUILD" && cpack -G DEB)
deb="$(ls -t "$BUILD"/lumivar_*.deb | head -n 1)"

if [ ! -x "$BASE/usr/bin/apt-get" ]; then
  rm -rf "$BASE"
  debootstrap --variant=minbase bookworm "$BASE" "$MIRROR"
fi

# A fresh copy of the clean root for this check, removed at the end.
root="$(mktemp -d "$BUILD/debian12/check.XXXXXX")"
trap 'rm -rf "$root"' EXIT
cp -a "$BASE/." "$root/"
cp "$deb" "$root/root/"
cat >"$root/root/check.sh" <<'CHECK'
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "/root/$1" >/dev/null
lumivar --version
printf '%s\n' '2026-12-10 08:00:00.000 [INFO ] started' '2026-12-10 08:00:01.000 [ERRO ] failed' >/root/check.log
lumivar --batch /root/check.log --state
test -f /usr/share/applications/org.lumivar.Lumivar.desktop
test -f /usr/share/icons/hicolor/48x48/apps/lumivar.png
test -f /usr/share/metainfo/org.lumivar.Lumivar.metainfo.xml
CHECK
# A mount namespace of its own, so that /proc inside the root goes with it.
unshare -m sh -c 'mount -t proc proc "$1/proc" && chroot "$1" sh /root/check.sh "$2"' sh "$root" "$(basename "$deb")"
echo "check-deb.sh: $(basename "$deb") installs and runs on a fresh Debian 12"
