#!/usr/bin/env bash
# Main window benchmark: start-up with 1000 disks, listing a folder of 100,000 files and
# sorting it, offscreen. Reference: QTreeWidget filled with the same rows and sorted.
# Usage: bench/filelist.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target make_filelist_db gui_filelist >/dev/null
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
"$build/bench/make_filelist_db" "$data"
QT_QPA_PLATFORM=offscreen "$build/bench/gui_filelist" "$data" 2> >(grep -v XDG_RUNTIME_DIR >&2)
