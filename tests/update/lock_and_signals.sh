#!/usr/bin/env bash
# The update run's lock, signals and pipes as cron and administrators meet
# them: a lock left empty, garbled or by another host is taken over; a home
# that cannot take the lock ends with status 4 and is not created; a closed
# pipe does not stop a run; SIGTERM ends it at a statement boundary with
# status 143, the lock released and the history line written, and a rerun
# leaves the tables as a clean run does; a dry run waits for a run in
# progress; a window's summary holds neither the lock nor a SIGTERM.
set -u
demo="$1"; app="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }
"$demo" "$work/base" --items 300 --products 60 --xrefs 40 >/dev/null || exit 1

# Locks left behind.
while IFS='|' read -r name content; do
  rm -rf "$work/h"; cp -a "$work/base" "$work/h"
  printf '%b' "$content" >"$work/h/update-run.lock"
  touch -d '1 minute ago' "$work/h/update-run.lock"
  out=$(ZELVARO_HOME="$work/h" "$app" UPDATE --batch 2>&1); rc=$?
  [ $rc -eq 0 ] || fail "$name: status $rc: $(echo "$out" | tail -n 3)"
  [ -e "$work/h/update-run.lock" ] && fail "$name: the lock is left"
done <<'CASES'
an empty lock|
a garbled lock|\x00\x01garbage
a lock of another host|12345\nzelvaro-hazmat\nsome-other-host\n
CASES

# A run in progress: a dry run waits for it as a second run does (status 3,
# no plan), for its tables may be half written.
rm -rf "$work/h"; cp -a "$work/base" "$work/h"
sleep 60 &
holder=$!
printf '%s\nsleep\n%s\n' "$holder" "$(hostname)" >"$work/h/update-run.lock"
out=$(ZELVARO_HOME="$work/h" "$app" UPDATE --batch --dry-run 2>&1); rc=$?
kill $holder
[ $rc -eq 3 ] || fail "dry run during a run: status $rc: $(echo "$out" | tail -n 2)"
echo "$out" | grep -q "Another update run is in progress (process $holder" ||
  fail "dry run during a run: $(echo "$out" | head -n 2)"
ls "$work/h/changes/"*-dry-run.csv >/dev/null 2>&1 && fail "dry run during a run: a plan was written"

# A home that cannot take the lock: status 4, the folder named, nothing created.
out=$(ZELVARO_HOME="$work/missing" "$app" UPDATE --batch 2>&1); rc=$?
[ $rc -eq 4 ] || fail "missing home: status $rc"
echo "$out" | grep -q "lock file cannot be created in $work/missing: the folder does not exist" ||
  fail "missing home: $(echo "$out" | tail -n 2)"
[ -e "$work/missing" ] && fail "missing home: it was created"

# A pipe closed early: the run goes on to its end.
rm -rf "$work/h"; cp -a "$work/base" "$work/h"
ZELVARO_HOME="$work/h" "$app" UPDATE --batch 2>/dev/null | head -n 1 >/dev/null
rc=${PIPESTATUS[0]}
[ $rc -eq 0 ] || fail "closed pipe: status $rc"
ZELVARO_HOME="$work/h" "$app" --history 1 2>/dev/null | tail -n 1 | grep -q "exit 0 *$" ||
  fail "closed pipe: no history line"
[ -e "$work/h/update-run.lock" ] && fail "closed pipe: the lock is left"

# The window's unattended run: its summary waits for OK, but neither the
# lock nor a SIGTERM waits with it.
rm -rf "$work/h"; cp -a "$work/base" "$work/h"
ZELVARO_HOME="$work/h" "$app" UPDATE >/dev/null 2>&1 &
pid=$!
for _ in $(seq 300); do
  ls "$work/h/changes/"*.csv >/dev/null 2>&1 && [ ! -e "$work/h/update-run.lock" ] && break
  sleep 0.05
done
[ -e "$work/h/update-run.lock" ] && fail "window run: the lock is held while its summary waits"
sleep 0.3
kill -TERM $pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then
  fail "window run: SIGTERM did not end it while its summary waited"
  kill -KILL $pid
fi
wait $pid; rc=$?
[ $rc -eq 143 ] || fail "window run: status $rc after SIGTERM"
ZELVARO_HOME="$work/h" "$app" --history 1 2>/dev/null | tail -n 1 | grep -q "exit 0 *$" ||
  fail "window run: no history line"

# SIGTERM mid-run, then a rerun: as a clean run.
for h in clean termed; do
  "$demo" "$work/$h" --items 4000 --products 600 --xrefs 800 --seed 7 >/dev/null || exit 1
done
ZELVARO_HOME="$work/clean" "$app" UPDATE --batch >/dev/null 2>&1 || fail "clean run failed"
ZELVARO_HOME="$work/termed" "$app" UPDATE --batch --sql-log "$work/termed.sql" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 3000); do
  [ "$(cat "$work/termed.sql" 2>/dev/null | grep -c U4ITHZD)" -ge 50 ] && break
  sleep 0.01
done
kill -TERM $pid
wait $pid; rc=$?
[ $rc -eq 143 ] || fail "SIGTERM: status $rc"
ZELVARO_HOME="$work/termed" "$app" --history 1 2>/dev/null | tail -n 1 | grep -q "stopped: stopped by signal" ||
  fail "SIGTERM: history $(ZELVARO_HOME="$work/termed" "$app" --history 1 2>&1 | tail -n 1)"
[ -e "$work/termed/update-run.lock" ] && fail "SIGTERM: the lock is left"
ZELVARO_HOME="$work/termed" "$app" UPDATE --batch >/dev/null 2>&1 || fail "rerun after SIGTERM failed"
lib="hosts/DEMO400/CO01DATA.db"
dump() {
  sqlite3 "$1/$lib" <<'SQL' | sed -E 's/ +\|/|/g; s/ +$//'
SELECT * FROM U4ITMMR ORDER BY IMPROD;
SELECT * FROM U4CDMSDOT ORDER BY CDITEM, CDNAME;
SELECT * FROM U4ITHZD ORDER BY HZPROD;
SQL
}
cmp -s <(dump "$work/clean") <(dump "$work/termed") || fail "tables differ after SIGTERM and a rerun"

[ $failed -eq 0 ] || exit 1
echo "lock and signals: all cases passed"
