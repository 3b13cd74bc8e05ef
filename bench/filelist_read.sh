#!/usr/bin/env bash
# Compares reading a file-list file of N lines (default 3 million) with FileListReader
# against awk summing the size field of every line of the same file (a split into fields per
# line, as the reader does). CPU seconds (user + system) are compared, as the machine may be busy.
#   bench/filelist_read.sh [N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
n=${1:-3000000}
file=$(mktemp --suffix=.f)
trap 'rm -f "$file"' EXIT
"$root/build/bench/filelist_read" --generate "$n" "$file" >/dev/null
cpu() { /usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -1 | awk '{print $1 + $2}'; }
ours=$(cpu "$root/build/bench/filelist_read" "$file")
ref=$(cpu awk -F, '{ s += $2 } END { print s }' "$file")
awk -v o="$ours" -v r="$ref" 'BEGIN { printf "FileListReader %.2f s cpu, awk %.2f s cpu, ratio %.2f\n", o, r, (r > 0 ? o / r : 0) }'
