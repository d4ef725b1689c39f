#!/usr/bin/env bash
# The main window's views on a demo home of 1,000,000 items, 10,000 products
# and 100,000 cross references (created in /tmp/zelvaro-bench-views on first
# use), next to the time sqlite3 takes to read the same tables.
# Usage: bench/views.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
home="${BENCH_HOME:-/tmp/zelvaro-bench-views}"
if [ ! -f "$home/INVSIG.INI" ]; then
  "$build/tools/demo/zelvaro-hazmat-demo" "$home" --items 1000000 --products 11100 --xrefs 100000 >/dev/null
fi
lib="$home/hosts/DEMO400/CO01DATA.db"
cat "$lib" >/dev/null
ZELVARO_HOME="$home" "$build/bench/bench_views"
start=$(date +%s%N)
sqlite3 "$lib" <<'SQL'
.output /dev/null
SELECT * FROM U4ITMMR; SELECT * FROM U4CDMSDOT; SELECT * FROM U4CDMSXRF; SELECT * FROM U4ITHZD;
SELECT DISTINCT FLFLC, FLDESC FROM U4FLC; SELECT DISTINCT DPDEPT, DPDESC FROM U4DEPT;
SQL
end=$(date +%s%N)
echo "sqlite3 view queries: $(( (end - start) / 1000000 )) ms"
