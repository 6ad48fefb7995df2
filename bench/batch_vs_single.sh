#!/bin/bash
# CPU seconds of the batch command for COUNT generated projects: one call with -d against one call
# per project. Usage: bench/batch_vs_single.sh TOOL [COUNT]
# (TOOL: build-release/tools/ktv-pn3-report). The projects are the six standard walls in turn,
# each under its own file and project name.
set -euo pipefail
TOOL=$(realpath "$1")
COUNT=${2:-100}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/in" "$WORK/one" "$WORK/each"
FIXTURES=("$ROOT"/tests/families/{gravity,leaning,cantilever}/data/standard_{gravity,leaning,cantilever}_{si,cgs}.mdb)
FOUND=()
for f in "${FIXTURES[@]}"; do [[ -f $f ]] && FOUND+=("$f"); done
for ((i = 0; i < COUNT; i++)); do
  p=$(printf "%s/in/wall_%03d.mdb" "$WORK" "$i")
  cp "${FOUND[i % ${#FOUND[@]}]}" "$p"
  sqlite3 "$p" "UPDATE \"tbl工事名\" SET CName = '擁壁 No.$i'"
done
export QT_QPA_PLATFORM=offscreen
DATE=2026-04-01T09:00:00
/usr/bin/time -f "one call:   %U user + %S system s CPU, %e s wall" \
  "$TOOL" "$WORK/in" -d "$WORK/one" --date "$DATE"
/usr/bin/time -f "each alone: %U user + %S system s CPU, %e s wall" bash -c '
  for p in "$1"/in/*.mdb; do
    n=$(basename "$p" .mdb)
    "$2" "$p" -o "$1/each/$n.pdf" --date "$3" || exit 1
  done' _ "$WORK" "$TOOL" "$DATE"
cmp -s <(cd "$WORK/one" && md5sum *.pdf) <(cd "$WORK/each" && md5sum *.pdf) &&
  echo "the PDFs of both runs are the same bytes" || echo "the PDFs differ"
