#!/usr/bin/env bash
# Creates the demo home when absent and runs the unattended update on it.
set -euo pipefail
cd "$(dirname "$0")/.."
home="${ZELVARO_HOME:-$PWD/demo-home}"
if [ ! -f "$home/INVSIG.INI" ]; then
  ./build/tools/demo/zelvaro-hazmat-demo "$home"
fi
ZELVARO_HOME="$home" ./build/src/app/zelvaro-hazmat UPDATE --batch
