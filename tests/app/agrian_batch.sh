#!/usr/bin/env bash
# The unattended batch run in Agrian mode against a local service: the list
# and every lookup from the service, the download date advanced only after a
# clean run, non-zero after a failed lookup or a service that is down.
set -u
demo="$1"; app="$2"
here="$(cd "$(dirname "$0")" && pwd)"
base=$(mktemp -d)
home="$base/home"; svc="$base/service"
"$demo" "$home" --items 300 --products 60 --xrefs 40 --agrian "$svc" >/dev/null || exit 1
export AGRIAN_CHANGES="$svc/changes.xml" AGRIAN_REGULATORY="$svc/regulatory"
. "$here/../sources/agrian/servers.sh"
start_agrian_servers || exit 1
trap 'kill "${agrian_pids[@]}" 2>/dev/null; rm -rf "$agrian_work" "$base"' EXIT
export ZELVARO_HOME="$home" ZELVARO_AGRIAN_URL="$AGRIAN_TEST_GOOD" ZELVARO_AGRIAN_TIMEOUT_S=5
today=$(date +%Y-%m-%d)
date_is() { grep -q "^DownloadDate=$1\$" "$home/INVSIG.INI"; }

# A dry run first: the same retrieval and lookups, nothing written, the
# date not advanced; its plan is the report of the real run that follows.
state() { for db in "$home"/hosts/*/*.db; do sqlite3 "$db" .dump; done; cat "$home/INVSIG.INI"; }
before=$(state | md5sum)
out=$(timeout 300 "$app" UPDATE --batch --dry-run 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "dry run failed ($rc): $out"; exit 1; }
[ "$(echo "$out" | tail -n 1)" = "Dry run: nothing was written to the host." ] || { echo "dry run ending: $out"; exit 1; }
plan=$(echo "$out" | sed -n 's/^Plan: //p')
[ "$(state | md5sum)" = "$before" ] && [ ! -e "$home/history.log" ] || { echo "dry run wrote to the home"; exit 1; }
grep -q "product_id=" "$AGRIAN_TEST_LOG" || { echo "dry run made no lookups"; exit 1; }
echo "$out" | grep -q "^Agrian lookups: [1-9]" || { echo "dry run: no lookups line: $out"; exit 1; }
out=$(timeout 300 "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "clean run failed ($rc): $out"; exit 1; }
first=$(ls "$home/changes/"*.csv | grep -v -- -dry-run)
[ "$(wc -l <"$first")" -gt 1 ] && cmp -s "$plan" "$first" || { echo "plan differs: $(diff "$plan" "$first" | head)"; exit 1; }
echo "$out" | grep -q "^DOT Records$" || { echo "no summary: $out"; exit 1; }
echo "$out" | grep -q "^Agrian lookups: [1-9]" || { echo "no lookups: $out"; exit 1; }
grep -q "approval_date=2015-01-01 " "$AGRIAN_TEST_LOG" || { echo "default date not asked for"; exit 1; }
date_is "$today" || { echo "date not advanced: $(grep DownloadDate "$home/INVSIG.INI")"; exit 1; }

# One cross-referenced product's answer goes missing: said, non-zero, the date stays.
id=$(grep -o 'product_id=[0-9]*' "$AGRIAN_TEST_LOG" | head -1 | cut -d= -f2)
[ -n "$id" ] || { echo "no regulatory request logged"; exit 1; }
rm "$AGRIAN_REGULATORY/$id.xml"
sed -i 's/^DownloadDate=.*/DownloadDate=2026-01-05/' "$home/INVSIG.INI"
out=$(timeout 300 "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -ne 0 ] || { echo "failed lookup gave exit 0: $out"; exit 1; }
echo "$out" | grep -q "^Post failed. HTTP/1.1 404 Not Found$" || { echo "no lookup failure: $out"; exit 1; }
echo "$out" | grep -q "^DOT Records$" || { echo "no summary after a failed lookup: $out"; exit 1; }
date_is 2026-01-05 || { echo "date moved after a failed lookup"; exit 1; }

# The service down: the retrieval fails, the update still runs, non-zero.
out=$(ZELVARO_AGRIAN_URL="https://127.0.0.1:1" timeout 300 "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -ne 0 ] || { echo "service down gave exit 0: $out"; exit 1; }
echo "$out" | grep -q "^Http Post failed. " || { echo "no retrieval failure: $out"; exit 1; }
echo "$out" | grep -q "^DOT Records$" || { echo "no update after a failed retrieval: $out"; exit 1; }
date_is 2026-01-05 || { echo "date moved without a retrieval"; exit 1; }
echo "agrian batch: 3 passed, 0 failed"
