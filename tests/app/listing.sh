#!/usr/bin/env bash
# The host listings from a terminal: names on standard output, failures on
# standard error, usage errors with status 2, and a wrong password costs
# the host one sign-on, not one per step.
set -u
demo="$1"; app="$2"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$demo" "$home" --items 20 --products 10 --xrefs 5 >/dev/null || exit 1
export ZELVARO_HOME="$home" QT_QPA_PLATFORM=offscreen
failed=0
check() { # name expected-status expected-stdout-pattern expected-stderr-pattern -- args
  local name="$1" status="$2" out_re="$3" err_re="$4"; shift 5
  local out err rc
  out=$("$app" "$@" 2>"$home/err"); rc=$?
  err=$(cat "$home/err")
  if [ "$rc" -ne "$status" ] || ! [[ "$out" =~ $out_re ]] || ! [[ "$err" =~ $err_re ]]; then
    echo "FAIL $name: status $rc (wanted $status)"; echo " stdout: $out"; echo " stderr: $err"
    failed=$((failed + 1))
  fi
}
check "libraries on stdout" 0 'CO01DATA' '^$' -- --list-libraries
check "fields on stdout" 0 'IMPROD=' '^$' -- --list-fields U4ITMMR
check "an empty table name" 2 '^$' 'list-fields takes one of the tables' -- --list-fields ""
check "an unknown table" 2 '^$' 'list-fields takes one of the tables' -- --list-fields NOPE
printf '[System]\r\nQMAXSIGN=3\r\n[Users]\r\nDEMOUSER=other\r\n' >"$home/hosts/DEMO400/users.ini"
check "a wrong password" 1 '^$' 'CWBSY1002.*The sign-on of user DEMOUSER to DEMO400 failed' -- --list-libraries
attempts=$(wc -l <"$home/hosts/DEMO400/signon.log")
[ "$attempts" -eq 1 ] || { echo "FAIL one listing made $attempts sign-on attempts"; failed=$((failed + 1)); }
check "a wrong password, fields" 1 '^$' 'CWBSY1002' -- --list-fields U4ITMMR
grep -q "^QUSER=\|^DEMOUSER=2" "$home/hosts/DEMO400/users.ini" ||
  { echo "FAIL attempts not counted: $(cat "$home/hosts/DEMO400/users.ini")"; failed=$((failed + 1)); }
sed -i 's/^DataLib=.*/DataLib=..\/..\/x/' "$home/INVSIG.INI"
rm "$home/hosts/DEMO400/users.ini"
check "a library that is no name" 1 '^$' 'Transfer/DataLib "../../x" is not a library name' -- --list-fields U4ITMMR
[ $failed -eq 0 ] || exit 1
echo "listing: all cases passed"
