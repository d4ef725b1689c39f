# Sourced: start_agrian_servers starts local HTTPS servers for the Agrian
# source (a CA made here; one certificate from another CA, one for another
# host name) and exports their addresses:
#   AGRIAN_TEST_GOOD, AGRIAN_TEST_FOREIGN, AGRIAN_TEST_WRONGNAME, AGRIAN_TEST_LOG,
#   AGRIAN_TEST_DEAD (accepts and never answers; one line a connection in
#   AGRIAN_TEST_DEAD_LOG), ZELVARO_CA_FILE (the CA that signed the good one).
# The servers answer the changed-product list from $AGRIAN_CHANGES and the
# regulatory data from $AGRIAN_REGULATORY/<ID>.xml (both made here when
# unset) and stop when the calling script exits.
agrian_servers_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

start_agrian_servers() {
  agrian_work=$(mktemp -d)
  agrian_pids=()
  trap 'kill "${agrian_pids[@]}" 2>/dev/null; rm -rf "$agrian_work"' EXIT
  (
    cd "$agrian_work" || exit 1
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
  ) || return 1
  if [ -z "${AGRIAN_CHANGES:-}" ]; then
    export AGRIAN_CHANGES="$agrian_work/changes.xml"
    : >"$AGRIAN_CHANGES"
  fi
  if [ -z "${AGRIAN_REGULATORY:-}" ]; then
    export AGRIAN_REGULATORY="$agrian_work/regulatory"
    mkdir -p "$AGRIAN_REGULATORY"
  fi
  local s
  for s in good foreign wrongname; do
    python3 "$agrian_servers_dir/server.py" "$agrian_work/$s.port" "$agrian_work/$s.pem" \
      "$agrian_work/$s.key" "$agrian_work/requests.log" &
    agrian_pids+=($!)
  done
  python3 "$agrian_servers_dir/server.py" --dead "$agrian_work/dead.port" "$agrian_work/dead.log" &
  agrian_pids+=($!)
  : >"$agrian_work/dead.log"
  for s in good foreign wrongname dead; do
    for _ in $(seq 50); do [ -s "$agrian_work/$s.port" ] && break; sleep 0.1; done
    [ -s "$agrian_work/$s.port" ] || { echo "server $s did not start"; return 1; }
  done
  export AGRIAN_TEST_GOOD="https://127.0.0.1:$(cat "$agrian_work/good.port")"
  export AGRIAN_TEST_FOREIGN="https://127.0.0.1:$(cat "$agrian_work/foreign.port")"
  export AGRIAN_TEST_WRONGNAME="https://127.0.0.1:$(cat "$agrian_work/wrongname.port")"
  export AGRIAN_TEST_LOG="$agrian_work/requests.log"
  export AGRIAN_TEST_DEAD="https://127.0.0.1:$(cat "$agrian_work/dead.port")"
  export AGRIAN_TEST_DEAD_LOG="$agrian_work/dead.log"
  export ZELVARO_CA_FILE="$agrian_work/testca.pem"
}
