#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$LUMIVAR_BUILD"
ctest --output-on-failure -j "$(nproc)" --timeout 300
