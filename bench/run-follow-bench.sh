#!/usr/bin/env bash
# Follow mode under load: the viewer (offscreen) opens a log of LINES records
# (default 10500000, about 1 GB) and follows it while bench/follow-writer.py
# appends RATE lines a second (default 10000) for SECONDS (default 10).
# Prints the load, `wc -l` on the log for scale, the time lines take from
# their write to the view and the event loop's lateness, for RUNS runs
# (default 3), each after a run with follow mode off (the timer's lateness
# without following, on the same machine at the same time). The log is generated under build/bench-logs and deleted at
# the end. Build first (cmake --build build).
#
#   bench/run-follow-bench.sh [LINES [RATE [SECONDS [RUNS]]]]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${LUMIVAR_BUILD:-$ROOT/build}"
LINES="${1:-10500000}"
RATE="${2:-10000}"
SECONDS_="${3:-10}"
RUNS="${4:-3}"
DIR="$BUILD/bench-logs"
mkdir -p "$DIR"
LOG="$(mktemp "$DIR/follow-XXXXXX.log")"
trap 'rm -f "$LOG"' EXIT
for tool in "$BUILD/bench/genlog" "$BUILD/bench/follow_bench"; do
  [ -x "$tool" ] || { echo "build first: $tool is missing" >&2; exit 1; }
done
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)  cores: $(nproc)"
for run in $(seq "$RUNS"); do
  "$BUILD/bench/genlog" "$LINES" "$LOG" >/dev/null
  echo "run $run: $(du -h "$LOG" | cut -f1) log; wc -l: $( { /usr/bin/time -f '%e s' wc -l "$LOG" >/dev/null; } 2>&1 )"
  QT_QPA_PLATFORM=offscreen "$BUILD/bench/follow_bench" "$LOG" "$RATE" "$SECONDS_" "$ROOT/bench/follow-writer.py" off | tail -1
  "$BUILD/bench/genlog" "$LINES" "$LOG" >/dev/null
  QT_QPA_PLATFORM=offscreen "$BUILD/bench/follow_bench" "$LOG" "$RATE" "$SECONDS_" "$ROOT/bench/follow-writer.py"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
