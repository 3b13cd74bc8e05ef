#!/usr/bin/env bash
# Text listing benchmark: dovrin-cli export of a disk of 1,000,000 files with 100,000 comments
# against awk formatting the same columns from the same file-list file (bench/export_reference.awk:
# the comments joined from the store, sizes grouped by thousands, dates put in the locale's
# order, texts overlaid at their columns, lines 200 wide). Both must write the same bytes.
# Prints medians of interleaved runs (wall clock and CPU) and dovrin-cli's peak memory on the
# disk and on a tenth of it.
# Usage: bench/export.sh [BUILD_DIR]   (default: build; RUNS=5, FILES=1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
files=${FILES:-1000000}
cmake --build "$build" --target export_gen dovrin-cli >/dev/null
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
"$build/bench/export_gen" "$data/db" "$files"
mkdir -p "$data/out"
export LC_ALL=en_GB.UTF-8 # dd/mm/yyyy hh:mm:ss and "," between thousands, as the awk writes

# Runs a command (stdout to $1), appends "wall cpu peak-KB" to $2.
measure() {
    python3 - "$@" <<'PY'
import resource, subprocess, sys, time
out, log, cmd = sys.argv[1], sys.argv[2], sys.argv[3:]
with open(out, "wb") as o:
    t = time.perf_counter(); subprocess.run(cmd, stdout=o, check=True); wall = time.perf_counter() - t
r = resource.getrusage(resource.RUSAGE_CHILDREN)
with open(log, "a") as l:
    l.write(f"{wall:.3f} {r.ru_utime + r.ru_stime:.3f} {r.ru_maxrss}\n")
PY
}
ours() { # DISK LOG
    measure /dev/null "$2" "$build/bin/dovrin-cli" --database "$data/db" export --overwrite \
        "Bench\\$1" "$data/out"
}
reference() { # LOG
    measure "$data/out/awk.txt" "$1" awk -v 'disk=Bench\\Big\\' -v name=Big \
        -v "now=$(date '+%d/%m/%Y %H:%M:%S')" -f bench/export_reference.awk \
        "$data/db/FileComments.dat" "$data/db/Bench/Big.i" "$data/db/Bench/Big.f"
}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
column() { cut -d' ' -f"$2" "$1" | median; }

for _ in $(seq "$runs"); do
    ours Big "$data/ours"
    reference "$data/ref"
done
if ! cmp -s <(sed 2d "$data/out/Bench-Big.txt") <(sed 2d "$data/out/awk.txt"); then
    echo "the listings differ:" >&2
    diff <(sed 2d "$data/out/Bench-Big.txt") <(sed 2d "$data/out/awk.txt") | head -6 >&2
    exit 1
fi
ours Small "$data/small"

awk -v ow="$(column "$data/ours" 1)" -v oc="$(column "$data/ours" 2)" \
    -v rw="$(column "$data/ref" 1)" -v rc="$(column "$data/ref" 2)" \
    -v big="$(column "$data/ours" 3)" -v small="$(column "$data/small" 3)" \
    -v lines="$(wc -l < "$data/out/Bench-Big.txt")" -v runs="$runs" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" -v cores="$(nproc)" 'BEGIN {
    printf "listing of %d lines, medians of %d interleaved runs (load average %s on %d cores)\n", lines, runs, load, cores
    printf "dovrin-cli export:  %6.3f s wall  %6.3f s CPU\n", ow, oc
    printf "awk, same columns:  %6.3f s wall  %6.3f s CPU\n", rw, rc
    printf "ours/awk:           %6.2f wall    %6.2f CPU     (target <= 0.5, not done above 1.0)\n", ow / rw, oc / rc
    printf "peak memory:        %.1f MB for the disk, %.1f MB for a tenth of it\n", big / 1024, small / 1024
}'
