#!/bin/bash
# CPU seconds of the batch command for COUNT generated projects: one call with -d against one call
# per project, and the wall time of one call with -j 1 against -j JOBS (default 2), the median of
# RUNS runs (default 5) each. Usage: bench/batch_vs_single.sh TOOL [COUNT [JOBS [RUNS]]]
# (TOOL: build-release/tools/ktv-pn3-report). The projects are the six standard walls in turn,
# each under its own file and project name.
set -euo pipefail
TOOL=$(realpath "$1")
COUNT=${2:-100}
JOBS=${3:-2}
RUNS=${4:-5}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/in" "$WORK/one" "$WORK/each" "$WORK/serial" "$WORK/parallel"
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
  "$TOOL" "$WORK/in" -d "$WORK/one" --date "$DATE" -j 1
/usr/bin/time -f "each alone: %U user + %S system s CPU, %e s wall" bash -c '
  for p in "$1"/in/*.mdb; do
    n=$(basename "$p" .mdb)
    "$2" "$p" -o "$1/each/$n.pdf" --date "$3" || exit 1
  done' _ "$WORK" "$TOOL" "$DATE"
cmp -s <(cd "$WORK/one" && md5sum *.pdf) <(cd "$WORK/each" && md5sum *.pdf) &&
  echo "the PDFs of both runs are the same bytes" || echo "the PDFs differ"

# -j 1 and -j JOBS in turn, so that both meet the same load; the median wall time of each.
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
: >"$WORK/t1"
: >"$WORK/tn"
for ((r = 0; r < RUNS; r++)); do
  /usr/bin/time -a -o "$WORK/t1" -f "%e" "$TOOL" "$WORK/in" -d "$WORK/serial" --date "$DATE" -j 1
  /usr/bin/time -a -o "$WORK/tn" -f "%e" "$TOOL" "$WORK/in" -d "$WORK/parallel" --date "$DATE" \
    -j "$JOBS"
done
T1=$(median <"$WORK/t1")
TN=$(median <"$WORK/tn")
echo "-j 1: $T1 s wall; -j $JOBS: $TN s wall (medians of $RUNS); ratio $(awk "BEGIN {printf \"%.2f\", $TN / $T1}")"
cmp -s <(cd "$WORK/serial" && md5sum *.pdf) <(cd "$WORK/parallel" && md5sum *.pdf) &&
  echo "the PDFs of -j 1 and -j $JOBS are the same bytes" || echo "the PDFs of -j 1 and -j $JOBS differ"
