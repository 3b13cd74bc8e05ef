#!/usr/bin/env bash
# `dovrin-cli copies` and `dovrin-cli only-on DISK` against `dovrin-cli search name TEXT` on the
# search benchmark's database (1000 disks, 10 million file lines): RUNS interleaved turns of the
# three, medians of the wall-clock times, the two ratios, and the peak memory of copies.
# Limits: copies at most 3x the search, only-on at most 1x, copies at most 600 MB.
#
#   bench/copies.sh            (BUILD=build, DB=/tmp/dovrin-bench-db, RUNS=7, TEXT=quokka,
#                               DISK='Catalogue1/Disk 10')
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
DB=${DB:-/tmp/dovrin-bench-db}
RUNS=${RUNS:-7}
TEXT=${TEXT:-quokka}
DISK=${DISK:-'Catalogue1/Disk 10'}
CLI="$BUILD/bin/dovrin-cli"

if [ ! -x /usr/bin/time ]; then
  echo "installing GNU time" >&2
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq time >/dev/null
fi
if [ ! -f "$DB/FileComments.dat" ]; then
  echo "generating $DB ..." >&2
  "$BUILD/bench/gensearchdb" "$DB"
fi
TIMES=$(mktemp -d)
trap 'rm -rf "$TIMES"' EXIT

# measure NAME COMMAND...: appends "seconds peak_kb" to $TIMES/NAME. The time is read in
# nanoseconds around the command: /usr/bin/time counts in steps of 10 ms, a tenth of a search.
measure() {
  local name=$1; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -o "$TIMES/one" -f '%M' bash -c "$*" >/dev/null 2>"$TIMES/stderr"
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))e-6 $(cat "$TIMES/one")" >>"$TIMES/$name"
}
median() { awk '{ print $1 }' "$TIMES/$1" | sort -n |
  awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak() { awk '{ print $2 }' "$TIMES/$1" | sort -n | tail -1; }

search() { "$CLI" --database "$DB" search name "$TEXT"; }
copies() { "$CLI" --database "$DB" copies; }
onlyon() { "$CLI" --database "$DB" only-on "$DISK"; }
# The timed commands run in a shell of their own under /usr/bin/time.
export CLI DB TEXT DISK
export -f search copies onlyon

# Warm the page cache and show what each finds.
echo "load: $(uptime | sed 's/.*load average/load average/')"
echo "search name $TEXT: $(search | tail -n 1)"
echo "copies: $(copies 2>&1 >/dev/null | tail -n 1)"
echo "only-on $DISK: $(onlyon 2>&1 >/dev/null | tail -n 1)"

for ((i = 1; i <= RUNS; i++)); do
  measure search search
  measure copies copies
  measure onlyon onlyon
done
s=$(median search); c=$(median copies); o=$(median onlyon)
awk -v s="$s" -v c="$c" -v o="$o" -v r="$RUNS" 'BEGIN {
  printf "median of %d interleaved runs: search %.3fs, copies %.3fs, only-on %.3fs\n", r, s, c, o }'
awk -v c="$c" -v o="$o" -v s="$s" 'BEGIN {
  printf "ratio copies / search:  %.2f (limit 3)\n", c / s
  printf "ratio only-on / search: %.2f (limit 1)\n", o / s }'
echo "peak memory: copies $(( $(peak copies) / 1024 )) MB (limit 600), only-on $(( $(peak onlyon) / 1024 )) MB, search $(( $(peak search) / 1024 )) MB"
echo "load: $(uptime | sed 's/.*load average/load average/')"
