#!/usr/bin/env bash
# The command line as cron, scripts and administrators type it: usage errors
# end with status 2 and never open a window; a history count is a count;
# files that cannot be read say so with a non-zero status.
set -u
demo="$1"; app="$2"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$demo" "$home" --items 20 --products 10 --xrefs 5 >/dev/null || exit 1
export ZELVARO_HOME="$home" QT_QPA_PLATFORM=offscreen
failed=0
check() { # name status stdout-pattern stderr-pattern -- args
  local name="$1" status="$2" out_re="$3" err_re="$4"; shift 5
  local out err rc
  out=$(timeout 60 "$app" "$@" 2>"$home/.err"); rc=$?
  err=$(cat "$home/.err")
  if [ "$rc" -ne "$status" ] || ! [[ "$out" =~ $out_re ]] || ! [[ "$err" =~ $err_re ]]; then
    echo "FAIL $name: status $rc (wanted $status)"; echo " stdout: ${out:0:300}"; echo " stderr: ${err:0:300}"
    failed=$((failed + 1))
  fi
}
check "-h" 0 'Usage: zelvaro-hazmat' '^$' -- -h
check "-V" 0 '^zelvaro-hazmat [0-9]' '^$' -- -V
check "a one-dash typo under cron" 2 '^$' 'unknown option -batch' -- UPDATE -batch
for count in abc '' 1e3 0x10 2147483648 0 100001 -- ; do
  [ "$count" = "--" ] && continue
  check "--history '$count'" 2 '^$' 'history takes a count of runs from 1 to 100000' -- --history "$count"
done
check "--history 5" 0 '' '' -- --history 5
check "UPDATE --batch --history" 2 '^$' 'one at a time' -- UPDATE --batch --history
check "UPDATE --batch --list-libraries" 2 '^$' 'one at a time' -- UPDATE --batch --list-libraries
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$app" 2>&1); rc=$?
{ [ $rc -eq 2 ] && [[ "$out" == *"no display: use UPDATE --batch for unattended runs"* ]]; } ||
  { echo "FAIL no display: status $rc: $out"; failed=$((failed + 1)); }

# A whole last record without its line feed is kept, and ended by the next run.
"$app" UPDATE --batch >/dev/null 2>&1
printf '%s' "$(cat "$home/history.log")" >"$home/history.log"
check "a last record without its line feed" 0 'batch' '' -- --history 1
"$app" UPDATE --batch >/dev/null 2>&1
[ "$("$app" --history 2>/dev/null | grep -c ' batch ')" -eq 2 ] ||
  { echo "FAIL the unended record was lost: $(cat "$home/history.log")"; failed=$((failed + 1)); }

# Files that cannot be read are named, with a non-zero status.
mv "$home/history.log" "$home/history.keep"; mkdir "$home/history.log"
check "an unreadable history" 1 '^$' "Unable to read the run history $home/history.log" -- --history
rmdir "$home/history.log"; mv "$home/history.keep" "$home/history.log"
mv "$home/INVSIG.INI" "$home/INVSIG.keep"; mkdir "$home/INVSIG.INI"
check "an unreadable settings file" 1 "Unable to read the settings file $home/INVSIG.INI: it is a folder" '' -- UPDATE --batch
rmdir "$home/INVSIG.INI"; mv "$home/INVSIG.keep" "$home/INVSIG.INI"

[ $failed -eq 0 ] || exit 1
echo "command line: all cases passed"
