#!/usr/bin/env bash
# Fingerprinting a tree of 2 GB in 20,000 files, warm cache, RUNS interleaved turns, medians:
#  - `dovrin-cli catalogue SRC NAME --fingerprint` (a new disk each time) against
#    `find SRC -type f -print0 | xargs -0 xxhsum -H2 > /dev/null`: limit 1.0x, target 0.6x;
#  - the same disk catalogued again with fingerprints over the unchanged tree (its unchanged
#    files keep their fingerprints) against the same re-catalogue without them: limit 1.2x.
#    Both overwrite a record, with its backup and syncs; a new disk without fingerprints is
#    shown too.
#
#   bench/fingerprint.sh       (BUILD=build, WORK=/tmp/dovrin-bench, FILES=20000, MB=2048, RUNS=5)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WORK=${WORK:-/tmp/dovrin-bench}
FILES=${FILES:-20000}
MB=${MB:-2048}
RUNS=${RUNS:-5}
CLI="$BUILD/bin/dovrin-cli"

if ! command -v xxhsum >/dev/null; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq xxhash >/dev/null
fi
SRC="$WORK/content-$FILES-$MB"
if [ ! -f "$SRC.done" ]; then
  rm -rf "$SRC"
  mkdir -p "$WORK"
  "$BUILD/bench/gen_content_tree" "$SRC" "$FILES" "$MB" >&2
  touch "$SRC.done"
fi
DB=$(mktemp -d "$WORK/db.XXXXXX")
TIMES=$(mktemp -d)
trap 'rm -rf "$DB" "$TIMES"' EXIT

# The clock is read in nanoseconds: a re-catalogue takes some 50 ms, where the 10 ms steps of
# /usr/bin/time would decide the ratio.
measure() { # measure NAME COMMAND...: appends the wall-clock seconds to $TIMES/NAME
  local name=$1 start end; shift
  start=$(date +%s%N)
  bash -c "$*" >/dev/null 2>&1
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }' >>"$TIMES/$name"
}
median() { sort -n "$TIMES/$1" |
  awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

fresh() { rm -f "$DB"/Fresh.*; "$CLI" --database "$DB" catalogue "$SRC" Fresh --fingerprint; }
xxh() { find "$SRC" -type f -print0 | xargs -0 xxhsum -H2 >/dev/null; }
plain() { rm -f "$DB"/Plain.*; "$CLI" --database "$DB" catalogue "$SRC" Plain; }
again() { "$CLI" --database "$DB" catalogue "$SRC" Kept --overwrite --fingerprint; }
againplain() { "$CLI" --database "$DB" catalogue "$SRC" KeptPlain --overwrite; }
# The timed commands run in a shell of their own.
export CLI DB SRC
export -f fresh xxh plain again againplain

echo "load: $(uptime | sed 's/.*load average/load average/')"
# Warm the cache; the disk that is catalogued again starts with its fingerprints.
xxh; fresh; plain; again; againplain
echo "side file: $(head -n 2 "$DB/Kept.fp" | tr -d '\r' | tr '\n' ' ')($(($(wc -l <"$DB/Kept.fp") - 2)) fingerprints)"

for ((i = 1; i <= RUNS; i++)); do
  measure fresh fresh
  measure xxh xxh
  measure plain plain
  measure again again
  measure againplain againplain
done
f=$(median fresh); x=$(median xxh); p=$(median plain); a=$(median again); q=$(median againplain)
echo "tree: $SRC ($FILES files, $MB MB), $RUNS interleaved runs, warm cache, $(nproc) cores"
echo "median: catalogue --fingerprint ${f}s, xxhsum -H2 ${x}s, new disk ${p}s, again --fingerprint ${a}s, again without ${q}s"
awk -v f="$f" -v x="$x" -v p="$p" -v a="$a" -v q="$q" 'BEGIN {
  printf "ratio fingerprinting / xxhsum:                 %.2f (limit 1.0, target 0.6)\n", f / x
  printf "ratio again with fingerprints / without them:  %.2f (limit 1.2)\n", a / q
  printf "ratio again with fingerprints / new disk:      %.2f\n", a / p }'
echo "load: $(uptime | sed 's/.*load average/load average/')"
