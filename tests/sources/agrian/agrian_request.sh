#!/usr/bin/env bash
# Runs the Agrian request tests on local HTTPS servers.
set -u
tests="$1"
. "$(dirname "$0")/servers.sh"
start_agrian_servers || exit 1
ZELVARO_AGRIAN_TIMEOUT_S=1 "$tests"
