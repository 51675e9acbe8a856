#!/usr/bin/env bash
# Installs what is missing (clang and libFuzzer too), builds one fuzz target
# of tests/fuzz with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz/, and runs it for SECONDS on a private copy of its seed
# corpus (the corpus in the repository is never written). Inputs that make
# it fail are kept in build-fuzz/findings/TARGET/.
#   scripts/fuzz.sh TARGET SECONDS
set -euo pipefail

LUMIVAR_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CORPORA="$LUMIVAR_ROOT/tests/fuzz/corpus"
if [ $# -ne 2 ] || ! [[ "$1" =~ ^[a-z_]+$ && -d "$CORPORA/$1" && "$2" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET SECONDS, TARGET one of: $(ls "$CORPORA" | tr '\n' ' ')" >&2
  exit 1
fi
TARGET="$1"
SECONDS_TO_RUN="$2"

LUMIVAR_BUILD="$LUMIVAR_ROOT/build-fuzz"
LUMIVAR_BUILD_TYPE=RelWithDebInfo
LUMIVAR_CMAKE_ARGS=(-DCMAKE_CXX_COMPILER=clang++ -DLUMIVAR_FUZZ=ON)
LUMIVAR_BUILD_TARGETS=("fuzz_$TARGET")
LUMIVAR_WITH_FUZZ=1
source "$LUMIVAR_ROOT/scripts/setup.sh"
source "$LUMIVAR_ROOT/scripts/sanitizer-options.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -R "$CORPORA/$TARGET" "$work/corpus"
mkdir "$work/findings"
status=0
(cd "$work" && "$LUMIVAR_BUILD/tests/fuzz/fuzz_$TARGET" corpus -max_total_time="$SECONDS_TO_RUN" \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/") \
  >"$work/log" 2>&1 || status=$?

findings="$LUMIVAR_BUILD/findings/$TARGET"
mkdir -p "$findings"
new_inputs="$(ls "$work/findings")"
cp -R "$work/findings/." "$findings/"
cp "$work/log" "$findings/last-run.log"

last="$(grep -E '^#[0-9]+' "$work/log" | tail -n 1 || true)"
echo "Target:   $TARGET, $SECONDS_TO_RUN s"
echo "Runs:     $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
echo "Coverage: $(echo "$last" | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo '?') (edges, features)"
echo "Corpus:   $(ls "$CORPORA/$TARGET" | wc -l) seeds grew to $(ls "$work/corpus" | wc -l) inputs"
if [ "$status" -ne 0 ]; then
  echo "Finding:  the target failed (exit $status); log: $findings/last-run.log"
  grep -E 'ERROR:|fuzz check failed|runtime error' "$work/log" | head -n 3 | sed 's/^/          /'
  for input in $new_inputs; do echo "Input:    $findings/$input"; done
else
  echo "Findings: none"
fi
exit "$status"
