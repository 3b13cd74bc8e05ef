#!/usr/bin/env bash
# `dovrin-cli verify DISK` of a disk without fingerprints against a plain `dovrin-cli catalogue`
# of the same tree (200,000 files in 20,000 folders, the scan benchmark's tree), warm cache,
# RUNS interleaved turns, medians: limit 1.2x.
#
#   bench/verify.sh            (BUILD=build, WORK=/tmp/dovrin-bench, FILES=200000,
#                               FOLDERS=20000, RUNS=5)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WORK=${WORK:-/tmp/dovrin-bench}
FILES=${FILES:-200000}
FOLDERS=${FOLDERS:-20000}
RUNS=${RUNS:-5}
CLI="$BUILD/bin/dovrin-cli"

SRC="$WORK/src-$FILES-$FOLDERS"
if [ ! -f "$SRC.done" ]; then
  rm -rf "$SRC"
  mkdir -p "$WORK"
  "$BUILD/bench/gen_source_tree" "$SRC" "$FILES" "$FOLDERS" >&2
  touch "$SRC.done"
fi
DB=$(mktemp -d "$WORK/db.XXXXXX")
TIMES=$(mktemp -d)
trap 'rm -rf "$DB" "$TIMES"' EXIT

# measure NAME COMMAND...: appends the wall-clock seconds to $TIMES/NAME, read in nanoseconds
# (/usr/bin/time counts in steps of 10 ms, a fortieth of a catalogue).
measure() {
  local name=$1; shift
  local start end
  start=$(date +%s%N)
  bash -c "$*" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))e-6" >>"$TIMES/$name"
}
median() { sort -n "$TIMES/$1" |
  awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

catalogue() { rm -f "$DB"/Plain.*; "$CLI" --database "$DB" catalogue "$SRC" Plain; }
verify() { "$CLI" --database "$DB" verify ./Kept; }
# The timed commands run in a shell of their own under /usr/bin/time.
export CLI DB SRC
export -f catalogue verify

echo "load: $(uptime | sed 's/.*load average/load average/')"
"$CLI" --database "$DB" catalogue "$SRC" Kept >/dev/null
catalogue >/dev/null
echo "verify: $(verify 2>&1 >/dev/null | tail -n 1) (exit $(verify >/dev/null 2>&1; echo $?))"
for ((i = 1; i <= RUNS; i++)); do
  measure catalogue catalogue
  measure verify verify
done
c=$(median catalogue); v=$(median verify)
echo "tree: $SRC ($FILES files, $FOLDERS folders), $RUNS interleaved runs, warm cache"
awk -v c="$c" -v v="$v" 'BEGIN { printf "median: catalogue %.3fs, verify %.3fs\n", c, v }'
awk -v c="$c" -v v="$v" 'BEGIN { printf "ratio verify / catalogue: %.2f (limit 1.2)\n", v / c }'
echo "load: $(uptime | sed 's/.*load average/load average/')"
