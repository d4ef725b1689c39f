#!/usr/bin/env bash
# Starts local HTTPS servers (a CA made here; one certificate from another
# CA, one for another host name) and runs the Agrian request tests on them.
set -u
tests="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
ca() { openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" -keyout "$1.key" -out "$1.pem" 2>/dev/null; }
leaf() { # name ca san
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf 'subjectAltName=%s\n' "$3" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 2 \
    -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}
ca testca && ca otherca
leaf good testca "DNS:localhost,IP:127.0.0.1"
leaf foreign otherca "DNS:localhost,IP:127.0.0.1"
leaf wrongname testca "DNS:wrong.example"
export AGRIAN_CHANGES="$work/changes.xml"
export AGRIAN_REGULATORY="$work/regulatory"
mkdir -p "$AGRIAN_REGULATORY"
: >"$AGRIAN_CHANGES"
for s in good foreign wrongname; do
  python3 "$here/server.py" "$s.port" "$s.pem" "$s.key" "$work/requests.log" &
  pids+=($!)
done
for s in good foreign wrongname; do
  for _ in $(seq 50); do [ -s "$s.port" ] && break; sleep 0.1; done
  [ -s "$s.port" ] || { echo "server $s did not start"; exit 1; }
done
AGRIAN_TEST_GOOD="https://127.0.0.1:$(cat good.port)" \
AGRIAN_TEST_FOREIGN="https://127.0.0.1:$(cat foreign.port)" \
AGRIAN_TEST_WRONGNAME="https://127.0.0.1:$(cat wrongname.port)" \
AGRIAN_TEST_LOG="$work/requests.log" \
ZELVARO_CA_FILE="$work/testca.pem" ZELVARO_AGRIAN_TIMEOUT_S=1 \
  "$tests"
