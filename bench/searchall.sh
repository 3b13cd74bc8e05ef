#!/bin/sh
# "List everything" in the search window over 1,000,000 files and the sorts of the rows
# (build/bench/gui_searchall): RUNS runs, the median of each figure. With REF set to another
# build folder (main's tree built apart, for instance), its gui_searchall runs in turns with
# this one and both columns are printed side by side, with their ratio.
#
#   bench/searchall.sh
#   RUNS=9 REF=/tmp/dovrin-main/build bench/searchall.sh
#
# Environment: BUILD (default build), REF (none), RUNS (default 7), DB (the generated
# database kept between runs, default /tmp/dovrin-bench-searchall).
set -eu

BUILD=${BUILD:-build}
REF=${REF:-}
RUNS=${RUNS:-7}
DB=${DB:-/tmp/dovrin-bench-searchall}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
export QT_QPA_PLATFORM=offscreen

# run NAME BINARY: one run; appends its figures (numbers in print order) as one line.
run() {
    "$2" "$DB" 2>/dev/null | tr -c '0-9.\n' ' ' | tr '\n' ' ' |
        awk '{ for (i = 1; i <= NF; ++i) printf "%s ", $i; print "" }' >>"$OUT/$1"
}

echo "load before: $(uptime)"
i=0
while [ "$i" -lt "$RUNS" ]; do
    run this "$BUILD/bench/gui_searchall"
    [ -n "$REF" ] && run ref "$REF/bench/gui_searchall"
    i=$((i + 1))
done
echo "load after:  $(uptime)"

# median FILE FIELD
median() {
    awk -v f="$2" '{ print $f }' "$1" | sort -n |
        awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)] }'
}
figure() { # figure LABEL FIELD
    mine=$(median "$OUT/this" "$2")
    if [ -n "$REF" ]; then
        ref=$(median "$OUT/ref" "$2")
        if [ -n "$ref" ] && [ -n "$mine" ]; then
            printf '%-34s %10s %10s %8s\n' "$1" "$mine" "$ref" \
                "$(awk -v a="$mine" -v b="$ref" 'BEGIN { if (b > 0) printf "%.2f", a / b }')"
        else
            printf '%-34s %10s %10s\n' "$1" "$mine" "${ref:--}"
        fi
    else
        printf '%-34s %10s\n' "$1" "$mine"
    fi
}
echo "medians of $RUNS runs${REF:+ (this build, $REF, ratio)}"
figure "List everything: rows" 1
figure "List everything: seconds" 2
figure "List everything: peak MB" 3
figure "sort by size: seconds" 4
figure "sort by name: seconds" 5
figure "peak MB after those sorts" 6
figure "sort by in folder: seconds" 7
figure "sort by modified: seconds" 8
figure "sort by comments: seconds" 9
figure "sort by name, descending: seconds" 10
figure "peak MB after every sort" 11
