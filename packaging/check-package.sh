#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it:
# lintian (no error), desktop-file-validate, appstreamcli validate, and the
# nightly service's exposure (systemd-analyze security, offline: 3.0 at
# most). With --install-cycle (as root, on a machine where the package is not
# installed; an existing home is moved aside and back) it also installs the
# package, checks the home and the units, upgrades it to a higher version,
# removes and purges it, and checks that the home and its INVSIG.INI stay
# byte for byte, with the user and group that own them.
# Usage: packaging/check-package.sh [BUILD_DIR] [--install-cycle]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
cycle="${2:-}"
cd "$build"
rm -f zelvaro-hazmat_*.deb
cpack -G DEB >/dev/null 2>&1 || { cpack -G DEB; exit 1; }
deb=$(ls zelvaro-hazmat_*.deb | head -1)
echo "package: $deb"
dpkg-deb -c "$deb"
echo "lintian:"
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "lintian reports an error"; exit 1; }
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
# The nightly service's exposure, as systemd rates it (offline): 3.0 at most.
unit=$(find "$tree" -name zelvaro-hazmat-update.service | head -n 1)
if systemd-analyze security --help 2>/dev/null | grep -q -- '--offline'; then
  systemd-analyze security --offline=true "$unit" | tail -n 1
  systemd-analyze security --offline=true --threshold=30 "$unit" >/dev/null ||
    { echo "the service's exposure is above 3.0"; exit 1; }
else
  echo "systemd-analyze cannot rate units offline here"; exit 1
fi
[ "$cycle" = "--install-cycle" ] || exit 0

home=/var/lib/zelvaro-hazmat
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }
if installed zelvaro-hazmat; then
  echo "install cycle: zelvaro-hazmat is installed here; remove it first"
  exit 1
fi
# A home already here (a developer's machine) is moved aside for the cycle
# and back afterwards, whatever happens: the cycle always runs.
aside=""
had_user=0; had_group=0
getent passwd zelvaro-hazmat >/dev/null && had_user=1
getent group zelvaro >/dev/null && had_group=1
restore() {
  rm -rf "$tree"
  if [ -n "$aside" ]; then rm -rf "$home"; mv "$aside" "$home"; fi
  [ $had_user -eq 1 ] || deluser --system --quiet zelvaro-hazmat >/dev/null 2>&1 || true
  [ $had_group -eq 1 ] || delgroup --system --quiet zelvaro >/dev/null 2>&1 || true
}
trap restore EXIT
if [ -e "$home" ]; then
  aside="$home.check-package.$$"
  mv "$home" "$aside"
  echo "install cycle: the existing home is moved aside to $aside for the cycle"
fi
export DEBIAN_FRONTEND=noninteractive
say() { echo "install cycle: $*"; }
apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
[ "$(stat -c '%a %U %G' "$home")" = "2770 root zelvaro" ] || { say "home is $(stat -c '%a %U %G' "$home")"; exit 1; }
getent passwd zelvaro-hazmat >/dev/null || { say "no service user"; exit 1; }
[ "$(systemctl is-enabled zelvaro-hazmat-update.timer 2>/dev/null || true)" = "disabled" ] ||
  { say "the timer is not installed disabled"; exit 1; }
if command -v systemd-analyze >/dev/null; then
  man=(); command -v man >/dev/null || man=(--man=no)
  systemd-analyze verify "${man[@]}" /lib/systemd/system/zelvaro-hazmat-update.service \
    /lib/systemd/system/zelvaro-hazmat-update.timer
  say "systemd-analyze verify accepts both units"
fi
zelvaro-hazmat --version
printf '[Transfer]\r\nHost=S400\r\nDataLib=CO01DATA\r\n\xe9\r\n' >"$home/INVSIG.INI"
before=$(sha256sum "$home/INVSIG.INI")
kept() {
  [ "$(sha256sum "$home/INVSIG.INI")" = "$before" ] || { say "INVSIG.INI changed $1"; exit 1; }
  say "home and INVSIG.INI kept $1"
}
systemctl enable zelvaro-hazmat-update.timer >/dev/null 2>&1
# A higher version of the same package.
up=$(mktemp -d)
dpkg-deb -R "$deb" "$up/pkg"
sed -i 's/^Version: \(.*\)$/Version: \1+1/' "$up/pkg/DEBIAN/control"
dpkg-deb -b "$up/pkg" "$up/upgrade.deb" >/dev/null
apt-get install -y -qq --no-install-recommends "$up/upgrade.deb" >/dev/null
rm -rf "$up"
dpkg -s zelvaro-hazmat | grep -q '^Version: .*+1$' || { say "not upgraded"; exit 1; }
kept "by the upgrade"
[ "$(stat -c '%a %G' "$home")" = "2770 zelvaro" ] || { say "upgrade changed the home"; exit 1; }
[ "$(systemctl is-enabled zelvaro-hazmat-update.timer 2>/dev/null || true)" = "enabled" ] ||
  { say "the upgrade switched the timer off"; exit 1; }
apt-get remove -y -qq zelvaro-hazmat >/dev/null
kept "by the removal"
apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
[ "$(systemctl is-enabled zelvaro-hazmat-update.timer 2>/dev/null || true)" = "enabled" ] ||
  { say "a reinstall lost the timer's state"; exit 1; }
say "the timer stays on through upgrade, removal and reinstall"
apt-get remove -y -qq zelvaro-hazmat >/dev/null
apt-get purge -y -qq zelvaro-hazmat >/dev/null
kept "by the purge"
# The home stays, and so do the user and group that own it.
getent passwd zelvaro-hazmat >/dev/null || { say "purge deleted the service user of a home that stays"; exit 1; }
getent group zelvaro >/dev/null || { say "purge deleted the group of a home that stays"; exit 1; }
[ "$(stat -c '%G' "$home")" = "zelvaro" ] || { say "the home lost its group"; exit 1; }
rm -rf "$home"
say "passed"
