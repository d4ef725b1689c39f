#!/usr/bin/env bash
# The unattended update in Agrian mode against the local test service: a
# demo home with 2,000 products, all listed by the service, and 5,000
# cross-referenced items (one lookup each). Prints the time waiting on the
# service (libcurl's total time per request, summed by the program), the
# program's own work inside the lookups, and the connections the service saw.
# With --dead the service accepts connections and never answers: the run
# must give up after 3 lookups and end within 3 time-outs plus the rest of
# the run (ZELVARO_AGRIAN_TIMEOUT_S, 5 s here).
# Usage: bench/agrian-update.sh [--dead] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dead=0
if [ "${1:-}" = "--dead" ]; then dead=1; shift; fi
build="$(cd "${1:-build}" && pwd)"
work="${BENCH_WORK:-/tmp/zelvaro-bench-agrian}"
rm -rf "$work"
mkdir -p "$work"
"$build/tools/demo/zelvaro-hazmat-demo" "$work/home" --items 20000 --products 2000 --xrefs 5000 \
  --agrian "$work/service" | sed 's/^/demo: /'
export AGRIAN_CHANGES="$work/service/changes.xml" AGRIAN_REGULATORY="$work/service/regulatory"
export AGRIAN_SERVER_SECONDS=1800
. tests/sources/agrian/servers.sh
start_agrian_servers

if [ $dead -eq 1 ]; then
  timeout_s=5
  # The list comes from the good service, the lookups go to the dead one.
  printf '[Agrian]\r\nHost=%s/webservices\r\n' "$AGRIAN_TEST_DEAD" >>"$work/home/INVSIG.INI"
  start=$(date +%s%N)
  rc=0
  ZELVARO_HOME="$work/home" ZELVARO_AGRIAN_URL="$AGRIAN_TEST_GOOD" ZELVARO_AGRIAN_TIMEOUT_S=$timeout_s \
    "$build/src/app/zelvaro-hazmat" UPDATE --batch >"$work/out.txt" 2>/dev/null || rc=$?
  wall_ms=$((($(date +%s%N) - start) / 1000000))
  grep -q "^Agrian lookups stopped: " "$work/out.txt" ||
    { echo "the lookups did not stop:"; tail -c 2000 "$work/out.txt"; exit 1; }
  echo "agrian bench (dead service): the run ended in ${wall_ms} ms with status $rc;" \
    "$(wc -l <"$AGRIAN_TEST_DEAD_LOG") connections tried;" \
    "goal: 3 time-outs (${timeout_s} s each) plus the completion pass"
  exit 0
fi

start=$(date +%s%N)
ZELVARO_HOME="$work/home" ZELVARO_AGRIAN_URL="$AGRIAN_TEST_GOOD" \
  "$build/src/app/zelvaro-hazmat" UPDATE --batch >"$work/out.txt" 2>/dev/null || {
  echo "the batch run failed:"
  cat "$work/out.txt"
  exit 1
}
wall_ms=$((($(date +%s%N) - start) / 1000000))
line=$(grep "^Agrian lookups: " "$work/out.txt")
echo "run: $line; whole run ${wall_ms} ms"
lookups=$(echo "$line" | sed -E 's/^Agrian lookups: ([0-9]+),.*/\1/')
service=$(echo "$line" | sed -E 's/.* ([0-9.]+) s waiting on the service.*/\1/')
own=$(echo "$line" | sed -E 's/.* ([0-9.]+) s own work.*/\1/')
requests=$(wc -l <"$AGRIAN_TEST_LOG")
connections=$(python3 -c 'import json,sys; print(len({json.loads(l)["client"] for l in open(sys.argv[1])}))' "$AGRIAN_TEST_LOG")
python3 - "$lookups" "$service" "$own" "$requests" "$connections" "$wall_ms" <<'PY'
import sys
lookups, service, own, requests, connections, wall_ms = sys.argv[1:]
lookups, requests, connections = int(lookups), int(requests), int(connections)
service, own, wall = float(service), float(own), int(wall_ms) / 1000
print(f"service: {requests} requests, {service:.3f} s waiting on it ({service / lookups * 1000:.2f} ms a lookup)")
print(f"agrian bench: {lookups} lookups, {requests / wall:.0f} requests/s, {connections} connections, "
      f"own work per lookup {own / lookups * 1000:.3f} ms")
PY
