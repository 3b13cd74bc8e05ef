#!/bin/sh
# Name search over a synthetic database of 1000 disks and 10 million file lines:
# `dovrin-cli search name TEXT` against `LC_ALL=C grep -c -i -F TEXT` over the same .f files,
# run in turns, medians of the wall-clock times, and their ratio. With REF set to another
# build folder (main's tree built apart, for instance), its dovrin-cli runs in the same turns.
# Then the search with about 100,000 matches, with and without the comment store, for the
# cost of the comment lookups.
#
#   bench/search.sh [TEXT]        (default TEXT: quokka, about 1,000 matches)
#   RUNS=15 REF=/tmp/dovrin-main/build bench/search.sh
#
# Environment: BUILD (default build), REF (none), DB (default /tmp/dovrin-bench-db, generated
# when missing), RUNS (default 7).
set -eu

TEXT=${1:-quokka}
BUILD=${BUILD:-build}
REF=${REF:-}
DB=${DB:-/tmp/dovrin-bench-db}
RUNS=${RUNS:-7}
CLI=$BUILD/bin/dovrin-cli

if [ ! -f "$DB/FileComments.dat" ]; then
    echo "generating $DB ..."
    "$BUILD/bench/gensearchdb" "$DB"
fi

FILES=$(mktemp)
TIMES=$(mktemp -d)
trap 'rm -rf "$FILES" "$TIMES"; [ -f "$DB/FileComments.dat.bench" ] && mv "$DB/FileComments.dat.bench" "$DB/FileComments.dat"; true' EXIT
find "$DB" -name '*.f' -print0 | sort -z >"$FILES"

now() { date +%s%N; }

# time_of NAME COMMAND...: runs the command once, appends its milliseconds to $TIMES/NAME.
time_of() {
    name=$1
    shift
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    echo $(((end - start) / 1000000)) >>"$TIMES/$name"
}

median() { sort -n "$TIMES/$1" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

run_cli() { "$CLI" --database "$DB" search name "$1"; }
run_ref() { "$REF/bin/dovrin-cli" --database "$DB" search name "$1"; }
# grep reports nothing but its counts; xargs gives it all files at once.
run_grep() { xargs -0 env LC_ALL=C grep -c -i -F "$1" <"$FILES"; }

# Warm the page cache, and show what each finds.
echo "dovrin-cli search name $TEXT: $(run_cli "$TEXT" | tail -n 1)"
echo "grep -c -i -F $TEXT: $(run_grep "$TEXT" | awk -F: '{n += $NF} END {print n}') matching lines"

echo "load before: $(uptime)"
i=0
while [ $i -lt "$RUNS" ]; do
    time_of cli run_cli "$TEXT"
    [ -n "$REF" ] && time_of ref run_ref "$TEXT"
    time_of grep run_grep "$TEXT"
    i=$((i + 1))
done
echo "load after:  $(uptime)"
cli=$(median cli)
grep_ms=$(median grep)
echo "median of $RUNS: dovrin-cli $cli ms, grep $grep_ms ms, ratio $(awk "BEGIN {printf \"%.2f\", $cli / $grep_ms}")"
if [ -n "$REF" ]; then
    ref=$(median ref)
    echo "median of $RUNS: $REF dovrin-cli $ref ms, ratio to grep $(awk "BEGIN {printf \"%.2f\", $ref / $grep_ms}"), this build / it $(awk "BEGIN {printf \"%.2f\", $cli / $ref}")"
fi

# About 100,000 matches: the comment lookups' share.
echo "dovrin-cli search name zebra: $(run_cli zebra | tail -n 1)"
i=0
while [ $i -lt "$RUNS" ]; do
    time_of with run_cli zebra
    mv "$DB/FileComments.dat" "$DB/FileComments.dat.bench"
    time_of without run_cli zebra
    mv "$DB/FileComments.dat.bench" "$DB/FileComments.dat"
    i=$((i + 1))
done
with=$(median with)
without=$(median without)
echo "median of $RUNS: with the comment store $with ms, without $without ms, comment lookups +$(awk "BEGIN {printf \"%.0f\", ($with - $without) * 100 / $without}")%"
