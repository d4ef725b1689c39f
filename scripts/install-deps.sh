#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libxkbcommon-dev
  unixodbc unixodbc-dev libsqliteodbc sqlite3 libsqlite3-dev
  libpugixml-dev libcurl4-openssl-dev libmimalloc-dev
  libgtest-dev libgmock-dev
  xvfb xauth clang-format
  python3 openssl
  dpkg-dev file lintian desktop-file-utils appstream systemd man-db
)
# Installed means installed: a package removed but not purged ("rc") is not.
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${#missing[@]} packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "install-deps: everything needed is installed"
fi
