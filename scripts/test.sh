#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
#   scripts/test.sh              the plain build, in build/
#   scripts/test.sh --sanitize   the same suite under AddressSanitizer and
#                                UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail

case "${1:-}" in
  "") ;;
  --sanitize)
    LUMIVAR_BUILD="$(cd "$(dirname "$0")/.." && pwd)/build-sanitize"
    LUMIVAR_BUILD_TYPE=RelWithDebInfo  # optimised as shipped, with lines in the reports
    LUMIVAR_CMAKE_ARGS=(-DLUMIVAR_SANITIZE=ON)
    # Exported before the build too: discovering the tests runs the test programs.
    source "$(dirname "$0")/sanitizer-options.sh"
    ;;
  *)
    echo "usage: $0 [--sanitize]" >&2
    exit 1
    ;;
esac

source "$(dirname "$0")/setup.sh"
cd "$LUMIVAR_BUILD"
ctest --output-on-failure -j "$(nproc)" --timeout 300
