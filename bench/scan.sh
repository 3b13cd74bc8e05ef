#!/usr/bin/env bash
# Times `dovrin-cli catalogue` against `find SRC -printf '%s %T@ %p\n'` on the same synthetic
# tree with a warm cache: RUNS interleaved runs of each, medians and their ratio, plus the peak
# memory of the catalogue on the full tree and on a tree a tenth of its size (it must not grow
# with the number of files).
#   bench/scan.sh                 # 200,000 files in 20,000 folders, 5 runs
#   FILES=50000 FOLDERS=5000 RUNS=7 BUILD=build bench/scan.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
REF=${REF:-}
FILES=${FILES:-200000}
FOLDERS=${FOLDERS:-20000}
RUNS=${RUNS:-5}
WORK=${WORK:-/tmp/dovrin-bench}
CLI="$BUILD/bin/dovrin-cli"
GEN="$BUILD/bench/gen_source_tree"

if [ ! -x /usr/bin/time ]; then
  echo "installing GNU time" >&2
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq time >/dev/null
fi
if [ ! -x "$CLI" ] || [ ! -x "$GEN" ]; then
  cmake -S . -B "$BUILD" -G Ninja >/dev/null
  cmake --build "$BUILD" --target dovrin-cli gen_source_tree
fi

tree() { # tree DIR FILES FOLDERS: generate once per size
  local dir=$1
  if [ ! -f "$dir.done" ]; then
    rm -rf "$dir"
    "$GEN" "$dir" "$2" "$3" >&2
    touch "$dir.done"
  fi
}
SRC="$WORK/src-$FILES-$FOLDERS"
SMALL="$WORK/src-$((FILES / 10))-$((FOLDERS / 10))"
tree "$SRC" "$FILES" "$FOLDERS"
tree "$SMALL" $((FILES / 10)) $((FOLDERS / 10))
DB=$(mktemp -d "$WORK/db.XXXXXX")
trap 'rm -rf "$DB"' EXIT

# one run: prints "elapsed cpu peak_kb"
measure() {
  /usr/bin/time -o "$WORK/time.out" -f '%e %U %S %M' "$@" >/dev/null 2>&1
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$WORK/time.out"
}
# a new disk each time, as the first cataloguing of a disk is
catalogue() { rm -f "$DB"/Bench.*; measure "$CLI" --database "$DB" catalogue "$1" Bench; }
refcatalogue() { rm -f "$DB"/Bench.*; measure "$REF/bin/dovrin-cli" --database "$DB" catalogue "$1" Bench; }
findref() { measure find "$1" -printf '%s %T@ %p\n'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# warm the cache
catalogue "$SRC" >/dev/null; findref "$SRC" >/dev/null

echo "load before: $(uptime)"
cli_runs=(); find_runs=(); ref_runs=()
for ((i = 1; i <= RUNS; i++)); do
  cli_runs+=("$(catalogue "$SRC")")
  [ -n "$REF" ] && ref_runs+=("$(refcatalogue "$SRC")")
  find_runs+=("$(findref "$SRC")")
done
echo "load after:  $(uptime)"
col() { local n=$1; shift; printf '%s\n' "$@" | awk -v n="$n" '{ print $n }'; }
cli_wall=$(col 1 "${cli_runs[@]}" | median); find_wall=$(col 1 "${find_runs[@]}" | median)
cli_cpu=$(col 2 "${cli_runs[@]}" | median); find_cpu=$(col 2 "${find_runs[@]}" | median)
cli_peak=$(col 3 "${cli_runs[@]}" | sort -n | tail -1)
find_peak=$(col 3 "${find_runs[@]}" | sort -n | tail -1)
small_peak=$(catalogue "$SMALL" | awk '{ print $3 }')

echo "tree: $SRC ($FILES files, $FOLDERS folders), $RUNS interleaved runs, warm cache"
echo "catalogue: ${cli_wall}s median wall, ${cli_cpu}s median cpu, peak ${cli_peak} KB"
echo "find:      ${find_wall}s median wall, ${find_cpu}s median cpu, peak ${find_peak} KB"
awk -v a="$cli_wall" -v b="$find_wall" 'BEGIN { printf "ratio (wall, catalogue / find): %.2f\n", a / b }'
awk -v a="$cli_cpu" -v b="$find_cpu" 'BEGIN { printf "ratio (cpu,  catalogue / find): %.2f\n", a / b }'
echo "peak memory: ${cli_peak} KB on the full tree, ${small_peak} KB on a tenth of it"
if [ -n "$REF" ]; then
  ref_wall=$(col 1 "${ref_runs[@]}" | median); ref_cpu=$(col 2 "${ref_runs[@]}" | median)
  ref_peak=$(col 3 "${ref_runs[@]}" | sort -n | tail -1)
  echo "$REF: ${ref_wall}s median wall, ${ref_cpu}s median cpu, peak ${ref_peak} KB"
  awk -v a="$ref_wall" -v b="$find_wall" 'BEGIN { printf "its ratio (wall, catalogue / find): %.2f\n", a / b }'
  awk -v a="$cli_wall" -v b="$ref_wall" 'BEGIN { printf "this build / it (wall): %.2f\n", a / b }'
fi
