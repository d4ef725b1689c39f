#!/usr/bin/env bash
# The host listings on a temporary home whose system holds 20 libraries, one
# with 500 tables of 50 fields (figures, not a test).
# Usage: bench/host-listing.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
home="${BENCH_HOME:-/tmp/zelvaro-bench-listing}"
mkdir -p "$home"
ZELVARO_HOME="$home" "$build/bench/bench_host_listing"
