#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (only those missing), then
# configures and builds Lumivar into build/. Sourced by run.sh, test.sh and
# fuzz.sh, which may set before sourcing it: LUMIVAR_BUILD (the build
# folder), LUMIVAR_BUILD_TYPE, LUMIVAR_CMAKE_ARGS and LUMIVAR_BUILD_TARGETS
# (arrays), and LUMIVAR_WITH_FUZZ=1 to install the fuzzing packages too.
set -euo pipefail

LUMIVAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LUMIVAR_BUILD="${LUMIVAR_BUILD:-$LUMIVAR_ROOT/build}"
# appstream and desktop-file-utils validate the installed metainfo and
# desktop entry (test install_layout).
PACKAGES=(build-essential cmake qt6-base-dev libgtest-dev libpcre2-dev pkg-config fonts-dejavu-core appstream desktop-file-utils)
# Only the fuzz command needs these: clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
if [ -n "${LUMIVAR_WITH_FUZZ:-}" ]; then
  PACKAGES+=("${FUZZ_PACKAGES[@]}")
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Installing packages needs root: run this as root, or install sudo first." >&2
      exit 1
    fi
    sudo_cmd=(sudo)
  fi
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$LUMIVAR_ROOT" -B "$LUMIVAR_BUILD" -DCMAKE_BUILD_TYPE="${LUMIVAR_BUILD_TYPE:-Release}" \
  ${LUMIVAR_CMAKE_ARGS[@]+"${LUMIVAR_CMAKE_ARGS[@]}"}
cmake --build "$LUMIVAR_BUILD" -j "$(nproc)" ${LUMIVAR_BUILD_TARGETS[@]+--target "${LUMIVAR_BUILD_TARGETS[@]}"}
