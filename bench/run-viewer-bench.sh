#!/usr/bin/env bash
# Whole-process timings of the viewer in batch mode against `wc -l` on the
# same file, with the file in the page cache: opening (load, counts, colours,
# first paint), the error filter, and select all + copy; median of several
# runs, and peak memory.
#
#   bench/run-viewer-bench.sh [LINES...]                (default: 1000000 10000000)
#   bench/run-viewer-bench.sh --long-line [CHARS...]    (default: 50000000 100000000)
#
# The second form opens a log of three records whose middle one is CHARS
# characters long. Logs are generated under ${LUMIVAR_BENCH_DIR:-build/bench-logs}
# and kept there for later runs. Build first (scripts/test.sh or cmake --build build).
#
# LUMIVAR_OLD_BUILD names the build folder of another version (for example
# an older main built in build-old/build): its viewer then runs each task
# right after this one's, on the same file, so that both see the same load.
# LUMIVAR_BENCH_TASKS picks tasks (default "wc open filter copy"). The load
# average is printed before and after: the machine may be shared.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${LUMIVAR_BUILD:-$ROOT/build}"
VIEWER="$BUILD/app/lumivar"
GENLOG="$BUILD/bench/genlog"
DIR="${LUMIVAR_BENCH_DIR:-$BUILD/bench-logs}"
RUNS="${LUMIVAR_BENCH_RUNS:-5}"
OLD_VIEWER="${LUMIVAR_OLD_BUILD:+$LUMIVAR_OLD_BUILD/app/lumivar}"
mkdir -p "$DIR"
[ -x "$VIEWER" ] || { echo "build the viewer first: $VIEWER is missing" >&2; exit 1; }
[ -x "$GENLOG" ] || { echo "build the generator first: $GENLOG is missing" >&2; exit 1; }
[ -z "$OLD_VIEWER" ] || [ -x "$OLD_VIEWER" ] || { echo "no viewer in LUMIVAR_OLD_BUILD: $OLD_VIEWER" >&2; exit 1; }

# median of the wall times (seconds) and the largest peak RSS (KiB) of a command run $RUNS times
measure() {
  local times=() peak=0 t m report
  report=$(mktemp)
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -o "$report" -f "%e %M" "$@" >/dev/null 2>&1 || true
    read -r t m < "$report"
    times+=("$t")
    (( m > peak )) && peak=$m
  done
  rm -f "$report"
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$median $peak"
}

long_line=0
if [ "${1:-}" = --long-line ]; then
  long_line=1
  shift
fi
if (( long_line )); then
  sizes=("${@:-50000000 100000000}")
  tasks="wc open"
else
  sizes=("${@:-1000000 10000000}")
  tasks="${LUMIVAR_BENCH_TASKS:-wc open filter copy}"
fi
viewers=("new:$VIEWER")
[ -n "$OLD_VIEWER" ] && viewers+=("old:$OLD_VIEWER")

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $RUNS runs each"
printf '%-10s %-8s %-5s %10s %10s %12s %8s\n' "$( (( long_line )) && echo chars || echo lines)" task build median_s peak_MiB file_MiB ratio
for sizes_arg in "${sizes[@]}"; do
  for n in $sizes_arg; do
    if (( long_line )); then
      log="$DIR/long-line-$n.log"
      [ -f "$log" ] || "$GENLOG" 3 "$log" --long-line "$n"
    else
      log="$DIR/log-$n.log"
      [ -f "$log" ] || "$GENLOG" "$n" "$log"
    fi
    size=$(stat -c %s "$log")
    cat "$log" >/dev/null   # into the page cache
    for task in $tasks; do
      for entry in "${viewers[@]}"; do
        name=${entry%%:*}
        viewer=${entry#*:}
        [ "$task" = wc ] && name=-
        case $task in
          wc) read -r t m < <(measure wc -l "$log") ;;
          open) read -r t m < <(measure "$viewer" --batch "$log" --state) ;;
          filter) read -r t m < <(measure "$viewer" --batch "$log" --click BtnError --state) ;;
          copy) read -r t m < <(measure "$viewer" --batch "$log" --click BtnSelectAll --click BtnCopy --state) ;;
        esac
        awk -v n="$n" -v task="$task" -v b="$name" -v t="$t" -v m="$m" -v s="$size" \
          'BEGIN { printf "%-10s %-8s %-5s %10.3f %10.1f %12.1f %8.2f\n", n, task, b, t, m/1024, s/1048576, (m*1024)/s }'
        [ "$task" = wc ] && break
      done
    done
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
