#!/usr/bin/env bash
# Times opening the seven views on a large demo home next to the sqlite3
# program reading the same tables. Usage: bench/open-views.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
home="${BENCH_HOME:-/tmp/zelvaro-bench-open}"
if [ ! -f "$home/INVSIG.INI" ]; then
  "$build/tools/demo/zelvaro-hazmat-demo" "$home" --items 200000 --products 12500 --xrefs 20000 >/dev/null
fi
lib="$home/hosts/DEMO400/CO01DATA.db"
# Warm the page cache so both sides read from memory.
cat "$lib" >/dev/null
for i in 1 2 3; do ZELVARO_HOME="$home" "$build/bench/bench_open_views"; done
start=$(date +%s%N)
for i in 1 2 3; do
  sqlite3 "$lib" <<'SQL'
.output /dev/null
SELECT * FROM U4ITMMR; SELECT * FROM U4CDMSDOT; SELECT * FROM U4CDMSXRF; SELECT * FROM U4ITHZD;
SELECT DISTINCT FLFLC, FLDESC FROM U4FLC; SELECT DISTINCT DPDEPT, DPDESC FROM U4DEPT; SELECT * FROM U4CONST;
SQL
done
end=$(date +%s%N)
echo "sqlite3 SELECT * of the same tables: $(( (end - start) / 3000000 )) ms"
