#!/usr/bin/env bash
# Kills a batch update part-way (SIGKILL once the statement stream reaches a
# count chosen here), runs it again, and compares every table with those of
# an uninterrupted run on an identical home. INVSIG.INI must be untouched.
set -u
demo="$1"; app="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for h in clean killed; do
  "$demo" "$work/$h" --items 4000 --products 600 --xrefs 800 --seed 7 >/dev/null || exit 1
done
cp "$work/killed/INVSIG.INI" "$work/ini.before"

ZELVARO_HOME="$work/clean" "$app" UPDATE --batch --sql-log "$work/clean.sql" >/dev/null 2>&1 || { echo "clean run failed"; exit 1; }
total=$(grep -c ';$' "$work/clean.sql")
kill_at=$(( total / 2 ))

ZELVARO_HOME="$work/killed" "$app" UPDATE --batch --sql-log "$work/killed.sql" >/dev/null 2>&1 &
pid=$!
while kill -0 $pid 2>/dev/null; do
  n=$(cat "$work/killed.sql" 2>/dev/null | grep -c ';$')
  if [ "$n" -ge "$kill_at" ]; then kill -9 $pid; break; fi
done
wait $pid 2>/dev/null
done_count=$(grep -c ';$' "$work/killed.sql")
if [ "$done_count" -ge "$total" ]; then echo "the run ended before it could be killed ($done_count of $total)"; exit 1; fi

lib="hosts/DEMO400/CO01DATA.db"
check=$(sqlite3 "$work/killed/$lib" 'PRAGMA integrity_check;')
[ "$check" = "ok" ] || { echo "integrity after the kill: $check"; exit 1; }
cmp -s "$work/ini.before" "$work/killed/INVSIG.INI" || { echo "INVSIG.INI changed"; exit 1; }

ZELVARO_HOME="$work/killed" "$app" UPDATE --batch >/dev/null 2>&1 || { echo "second run failed"; exit 1; }

dump() {
  sqlite3 "$1/$lib" <<'SQL'
SELECT * FROM U4ITMMR ORDER BY IMPROD;
SELECT * FROM U4CDMSDOT ORDER BY CDITEM, CDNAME;
SELECT * FROM U4CDMSXRF ORDER BY CXAGITEM, CXCDMSPID;
SELECT * FROM U4ITHZD ORDER BY HZPROD;
SQL
}
# Character columns compare as the host's do: trailing blanks do not count
# (an insert may store a padded value where an update stores it trimmed).
dump "$work/clean" | sed -E 's/ +\|/|/g; s/ +$//' >"$work/clean.txt"
dump "$work/killed" | sed -E 's/ +\|/|/g; s/ +$//' >"$work/killed.txt"
if ! cmp -s "$work/clean.txt" "$work/killed.txt"; then
  echo "tables differ after the rerun (killed at statement $done_count of $total):"
  diff "$work/clean.txt" "$work/killed.txt" | head -20
  exit 1
fi
echo "killed at statement $done_count of $total; tables equal after the rerun"
echo "kill and rerun: 1 passed, 0 failed"
