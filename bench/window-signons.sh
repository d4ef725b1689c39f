#!/usr/bin/env bash
# Connections and sign-on attempts of one start of the main window:
# - over ODBC (the SQLite ODBC driver standing in for IBM i Access, behind a
#   data source), the connections unixODBC's trace saw; goal: 2 (the SQL
#   connection and one listing job);
# - on the embedded host with users.ini, the attempts the host recorded with
#   the right and with a wrong password; goal: 0 refused, then 1.
# On the ODBC stand-in (SQLite behind unixODBC) the list APIs and the Db2
# column widening are refused, as no IBM i would: BENCH_SHOW=1 prints them.
# Usage: bench/window-signons.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
driver=$(find /usr/lib -name libsqlite3odbc.so -o -name libsqlite3odbc-*.so 2>/dev/null | head -n 1)
[ -n "$driver" ] || { echo "no SQLite ODBC driver (libsqliteodbc)"; exit 1; }
"$build/tools/demo/zelvaro-hazmat-demo" "$work/home" --items 2000 --products 200 --xrefs 100 >/dev/null
export QT_QPA_PLATFORM=offscreen ZELVARO_HOME="$work/home"

# ODBC: a data source for the demo library, the driver manager tracing.
mkdir -p "$work/odbc"
printf '[ODBC]\nTrace=Yes\nTraceFile=%s\n[SQLite3 Bench]\nDriver=%s\n' "$work/trace.log" "$driver" \
  >"$work/odbc/odbcinst.ini"
printf '[BENCH ODBC]\nDriver=SQLite3 Bench\nDatabase=%s\n' "$work/home/hosts/DEMO400/CO01DATA.db" \
  >"$work/odbc/odbc.ini"
sed -i 's/^Host=.*/Host=BENCH ODBC/' "$work/home/INVSIG.INI"
ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/odbc.ini" ZELVARO_HOST_DRIVER=odbc \
  "$build/bench/bench_window_start" | sed 's/^/odbc route: /'
connections=$(grep -cE 'SQLConnect\.c\]\[[0-9]+\]$|SQLDriverConnect\.c\]\[[0-9]+\]$' "$work/trace.log" || true)
echo "odbc route: $connections connections seen by the driver manager (goal: 2)"

# Embedded host with sign-on: right, then wrong password.
sed -i 's/^Host=.*/Host=DEMO400/' "$work/home/INVSIG.INI"
for case in right wrong; do
  rm -f "$work/home/hosts/DEMO400/signon.log"
  password=demo
  [ $case = wrong ] && password=other
  printf '[System]\r\nQMAXSIGN=3\r\n[Users]\r\nDEMOUSER=%s\r\n' "$password" >"$work/home/hosts/DEMO400/users.ini"
  "$build/bench/bench_window_start" | sed "s/^/embedded, $case password: /"
  echo "embedded, $case password: host recorded $(wc -l <"$work/home/hosts/DEMO400/signon.log") attempts," \
    "$(grep -vc 'signed on' "$work/home/hosts/DEMO400/signon.log" || true) refused"
done
