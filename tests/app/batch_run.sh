#!/usr/bin/env bash
# The unattended batch run: exit status 0 on a demo home, non-zero with the
# failure message when the host library is missing.
set -u
demo="$1"; app="$2"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$demo" "$home" --items 300 --products 60 --xrefs 40 >/dev/null || exit 1
# What a dry run may not touch: the host's tables, the settings, the history.
state() {
  for db in "$home"/hosts/*/*.db; do sqlite3 "$db" .dump; done
  cat "$home/INVSIG.INI" "$home/history.log" 2>/dev/null
}
before=$(state | md5sum)
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch --dry-run --sql-log "$home/dry.sql" 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "dry run failed ($rc): $out"; exit 1; }
[ "$(echo "$out" | tail -n 1)" = "Dry run: nothing was written to the host." ] || { echo "dry run ending: $out"; exit 1; }
plan=$(echo "$out" | sed -n 's/^Plan: //p')
[ -f "$plan" ] && [[ "$plan" == */changes/*-dry-run.csv ]] || { echo "no plan: $out"; exit 1; }
[ "$(state | md5sum)" = "$before" ] && [ ! -e "$home/history.log" ] || { echo "dry run wrote to the home"; exit 1; }
grep -qiE "^(insert|update|delete)" "$home/dry.sql" 2>/dev/null && { echo "dry run logged writes"; exit 1; }
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "demo run failed ($rc): $out"; exit 1; }
# The plan was the run's report, line for line.
first=$(ls "$home/changes/"*.csv | grep -v -- -dry-run)
[ "$(wc -l <"$first")" -gt 1 ] && cmp -s "$plan" "$first" || { echo "plan differs: $(diff "$plan" "$first" | head)"; exit 1; }
rm "$plan"
echo "$out" | grep -q "^CDMS DOT list completed$" || { echo "no retrieval: $out"; exit 1; }
echo "$out" | grep -q "^DOT Records$" || { echo "no summary: $out"; exit 1; }
# A second run on the unchanged home writes nothing at all.
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch --sql-log "$home/second.sql" 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "second run failed ($rc): $out"; exit 1; }
[ "$(echo "$out" | grep -A5 "^DOT Records$" | grep -c -- "- 0$")" -eq 4 ] ||
  { echo "second run changed rows: $out"; exit 1; }
grep -qiE "^(insert|update|delete)" "$home/second.sql" 2>/dev/null &&
  { echo "second run wrote: $(grep -iE "^(insert|update|delete)" "$home/second.sql" | head -3)"; exit 1; }
# Each run left its change report: the first with the rows it changed, the second the header only.
reports=$(ls "$home/changes/"*.csv 2>/dev/null | sort)
[ "$(echo "$reports" | wc -l)" -eq 2 ] || { echo "change reports: $reports"; exit 1; }
for r in $reports; do
  [ "$(head -n 1 "$r")" = $'table,key,column,old,new\r' ] || { echo "report header: $(head -n 1 "$r")"; exit 1; }
done
[ "$(for r in $reports; do wc -l <"$r"; done | sort -n | tr '\n' ' ')" != "1 1 " ] &&
  [ "$(for r in $reports; do wc -l <"$r"; done | sort -n | head -n 1)" -eq 1 ] ||
  { echo "report sizes: $(wc -l $reports)"; exit 1; }
# Each run left one history line; a malformed line is skipped with a note.
hist=$(ZELVARO_HOME="$home" "$app" --history 2>/dev/null); rc=$?
[ $rc -eq 0 ] && [ "$(echo "$hist" | wc -l)" -eq 3 ] || { echo "history ($rc): $hist"; exit 1; }
echo "$hist" | sed -n 3p | grep -qE "^[0-9T:+-]{25}  [0-9T:+-]{25}  batch  CDMS +0 .* exit 0$" ||
  { echo "history line: $hist"; exit 1; }
echo "not a record" >>"$home/history.log"
hist=$(ZELVARO_HOME="$home" "$app" --history 1 2>"$home/notes"); rc=$?
[ $rc -eq 0 ] && [ "$(echo "$hist" | wc -l)" -eq 2 ] || { echo "history with a bad line ($rc): $hist"; exit 1; }
grep -q "history.log line 3: not a run record, skipped" "$home/notes" || { echo "no note: $(cat "$home/notes")"; exit 1; }
mv "$home/hosts/DEMO400/CO01DATA.db" "$home/hosts/DEMO400/OTHER.db"
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -ne 0 ] || { echo "missing library did not fail: $out"; exit 1; }
echo "$out" | grep -q "^Item Master file Open$" || { echo "no failure message: $out"; exit 1; }
echo "$out" | grep -q "SQL0204 - U4ITMMR in CO01DATA type \*FILE not found." || { echo "no host text: $out"; exit 1; }
ZELVARO_HOME="$home" "$app" --batch >/dev/null 2>&1 && { echo "--batch without UPDATE accepted"; exit 1; }
# A hand-edited saved filter: said, not a failure; the run ends as usual.
sed -i 's/^edFLC=.*/edFLC=IMFLCD in (1,x/' "$home/INVSIG.INI"
mv "$home/hosts/DEMO400/OTHER.db" "$home/hosts/DEMO400/CO01DATA.db"
out=$(ZELVARO_HOME="$home" timeout 120 "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -eq 0 ] || { echo "malformed saved filter failed the run ($rc): $out"; exit 1; }
echo "$out" | grep -q "CDMSFilter/edFLC=IMFLCD in (1,x" || { echo "no filter message: $out"; exit 1; }
# A product the host refuses (its name is wider than CDNAME): exit 1, and the
# history line counts the refused write.
long=$(printf 'N%.0s' $(seq 60))
sed -i "s#</cdms>#<product name=\"$long\" epa=\"1-1\" manufacturer=\"M\" common=\"c\"><dot placard=\"9\">UN1993</dot></product></cdms>#" \
  "$home/cdms/products.xml"
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -eq 1 ] || { echo "a refused write ended with $rc: $out"; exit 1; }
echo "$out" | grep -q "^Products not written .*'$long'," || { echo "refused product not named: $out"; exit 1; }
ZELVARO_HOME="$home" "$app" --history 1 2>/dev/null | tail -n 1 | grep -q "exit 1; 1 write refused by the host *$" ||
  { echo "history: $(ZELVARO_HOME="$home" "$app" --history 1 2>&1)"; exit 1; }
# An unreachable host: the run ends, non-zero.
sed -i 's/^Host=.*/Host=GONE400/' "$home/INVSIG.INI"
ZELVARO_HOME="$home" timeout 120 "$app" UPDATE --batch >/dev/null 2>&1; rc=$?
[ $rc -ne 0 ] && [ $rc -ne 124 ] || { echo "unreachable host: exit $rc"; exit 1; }
sed -i 's/^Host=.*/Host=DEMO400/' "$home/INVSIG.INI"
# An empty library in the settings: no dialog at night, the message and a failure.
sed -i 's/^DataLib=.*/DataLib=/' "$home/INVSIG.INI"
out=$(ZELVARO_HOME="$home" "$app" UPDATE --batch 2>/dev/null); rc=$?
[ $rc -ne 0 ] || { echo "empty library did not fail: $out"; exit 1; }
echo "$out" | grep -q "^Setup needed: the host system or library is empty in INVSIG.INI. Run zelvaro-hazmat with its window and choose File, Setup.$" ||
  { echo "no setup message: $out"; exit 1; }
echo "batch run: 7 passed, 0 failed"
