#!/usr/bin/env bash
# The unattended update on a large demo home (200,000 items, ~10,000 products
# in the DOT list with 20 % new, 20,000 cross references with 30 % lacking a
# hazard row), next to the sqlite3 program replaying the same statement
# stream on a fresh copy of the same host files, each statement committed by
# itself in the same journal mode (WAL, synchronous NORMAL). Program and
# replay alternate ROUNDS times (default 5), each on fresh copies; the median
# ratio is the figure. Then, on one more fresh copy: a dry run, the real run,
# and a second run on the unchanged home (its writes, goal 0; its time
# against the first, goal at most 25 %; the dry run's against the real run,
# goal at most 1.2x).
# Usage: bench/update-run.sh [BUILD_DIR]   (needs /usr/bin/time)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
rounds="${ROUNDS:-5}"
work="${BENCH_WORK:-/tmp/zelvaro-bench-update}"
rm -rf "$work"
mkdir -p "$work"
"$build/tools/demo/zelvaro-hazmat-demo" "$work/pristine" --items 200000 --products 11100 --xrefs 20000 |
  sed 's/^/demo: /'
lib="hosts/DEMO400/CO01DATA.db"

ratios=()
for round in $(seq 1 "$rounds"); do
  rm -rf "$work/run" "$work/fresh" "$work/stream.sql"
  cp -r "$work/pristine" "$work/run"
  cp -r "$work/pristine" "$work/fresh"
  cat "$work/run/$lib" "$work/fresh/$lib" >/dev/null # warm the page cache for both

  start=$(date +%s%N)
  ZELVARO_HOME="$work/run" /usr/bin/time -f "%M" -o "$work/rss" \
    "$build/src/app/zelvaro-hazmat" UPDATE --batch --sql-log "$work/stream.sql" \
    >"$work/out.txt" 2>"$work/err.txt" || {
    echo "update run failed:"
    cat "$work/out.txt" "$work/err.txt"
    exit 1
  }
  end=$(date +%s%N)
  ours=$(((end - start) / 1000000))

  {
    echo "ATTACH '$work/fresh/$lib' AS \"CO01DATA\";"
    echo 'PRAGMA "CO01DATA".journal_mode=WAL;'
    echo 'PRAGMA "CO01DATA".synchronous=NORMAL;'
    echo '.output /dev/null'
    cat "$work/stream.sql"
  } >"$work/replay.sql"
  start=$(date +%s%N)
  sqlite3 :memory: <"$work/replay.sql" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  replay=$(((end - start) / 1000000))

  if [ "$round" -eq 1 ]; then
    sed -n '/^DOT Records$/,+5s/^/summary: /p' "$work/out.txt"
    echo "statements: $(grep -c ';$' "$work/stream.sql" || true)"
  fi
  ratio=$(awk -v a="$ours" -v b="$replay" 'BEGIN { printf "%.2f", a / b }')
  ratios+=("$ratio")
  echo "round $round: update run (batch, whole program) $ours ms, peak memory" \
    "$(($(cat "$work/rss") / 1024)) MiB; sqlite3 replay $replay ms; ratio $ratio"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END { print r[int((NR + 1) / 2)] }')
echo "median ratio over $rounds rounds: $median"

# The dry run, the real run and a second run on the now unchanged home.
rm -rf "$work/run" "$work/stream.sql"
cp -r "$work/pristine" "$work/run"
cat "$work/run/$lib" >/dev/null
timed_run() { # label, extra arguments...
  local label="$1" start end
  shift
  start=$(date +%s%N)
  ZELVARO_HOME="$work/run" "$build/src/app/zelvaro-hazmat" UPDATE --batch "$@" \
    >"$work/out-$label.txt" 2>"$work/err.txt" || {
    echo "$label run failed:"
    cat "$work/out-$label.txt" "$work/err.txt"
    exit 1
  }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
dry=$(timed_run dry --dry-run)
first=$(timed_run first)
rm -f "$work/second.sql"
second=$(timed_run second --sql-log "$work/second.sql")
writes=$(grep -ciE '^(insert|update|delete)' "$work/second.sql" || true)
plan=$(sed -n 's/^Plan: //p' "$work/out-dry.txt")
report=$(ls "$work/run/changes/"*.csv | grep -v -- -dry-run | sort | head -n 1)
same=$(cmp -s "$plan" "$report" && echo "equals" || echo "DIFFERS FROM")
echo "dry run $dry ms, real run $first ms: dry/real $(awk -v a="$dry" -v b="$first" 'BEGIN { printf "%.2f", a / b }') (goal <= 1.2); plan of $(($(wc -l <"$plan") - 1)) changes $same the run's report"
echo "second run on the unchanged home: $second ms, $(awk -v a="$second" -v b="$first" 'BEGIN { printf "%.0f", 100 * a / b }') % of the first (goal <= 25 %); statements $(grep -c ';$' "$work/second.sql" || true), writes $writes (goal 0)"
