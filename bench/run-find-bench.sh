#!/usr/bin/env bash
# Finding in a big log: find_bench (the next match from the start when the
# only one is on the last line, literal and expression; counting every
# "ERRO " and every ^.{25}ERRO ; resident memory growth) and the whole
# viewer's batch `--find`, against `wc -l` and `grep -c` on the same file in
# the same run, with the file in the page cache; medians of several runs.
#
#   bench/run-find-bench.sh [LINES]     (default: 10000000, about 1 GB)
#
# The log is generated under ${LUMIVAR_BENCH_DIR:-build/bench-logs} with a
# last record holding "zzfindme", and deleted at the end unless
# LUMIVAR_BENCH_KEEP is set. The load average is printed before and after:
# the machine may be shared.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${LUMIVAR_BUILD:-$ROOT/build}"
DIR="${LUMIVAR_BENCH_DIR:-$BUILD/bench-logs}"
RUNS="${LUMIVAR_BENCH_RUNS:-5}"
LINES="${1:-10000000}"
for tool in "$BUILD/bench/genlog" "$BUILD/bench/find_bench" "$BUILD/app/lumivar"; do
  [ -x "$tool" ] || { echo "build first: $tool is missing" >&2; exit 1; }
done
mkdir -p "$DIR"
LOG="$DIR/find-$LINES.log"
cleanup() { [ -n "${LUMIVAR_BENCH_KEEP:-}" ] || rm -f "$LOG"; }
trap cleanup EXIT
if [ ! -f "$LOG" ]; then
  "$BUILD/bench/genlog" "$LINES" "$LOG"
  echo "2026-12-11 23:59:59.999 [INFO ] the last record zzfindme" >> "$LOG"
fi
cat "$LOG" > /dev/null  # into the page cache

# Output goes to a file, not /dev/null: grep stops at the first match when
# it writes to /dev/null.
median() {
  local times=() report out
  report=$(mktemp)
  out=$(mktemp)
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -o "$report" -f "%e" "$@" >"$out" 2>&1 || true
    times+=("$(tail -n 1 "$report")")
  done
  rm -f "$report" "$out"
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "file: $LOG ($(( $(stat -c %s "$LOG") / 1048576 )) MiB)"
echo "wc -l                       median $(median wc -l "$LOG") s"
echo "grep -c 'ERRO '             median $(median grep -c 'ERRO ' "$LOG") s"
echo "grep -c zzfindme            median $(median grep -c zzfindme "$LOG") s"
echo "lumivar open                median $(median "$BUILD/app/lumivar" --batch "$LOG" --state) s"
echo "lumivar open + --find       median $(median "$BUILD/app/lumivar" --batch "$LOG" --state --find zzfindme) s"
"$BUILD/bench/find_bench" "$LOG" "$RUNS"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
