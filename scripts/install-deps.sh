#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc
  unixodbc unixodbc-dev libsqliteodbc sqlite3 libsqlite3-dev
  libpugixml-dev libcurl4-openssl-dev libmimalloc-dev
  libgtest-dev libgmock-dev
  xvfb xauth clang-format
  python3 openssl
  dpkg-dev file lintian desktop-file-utils appstream systemd man-db
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
