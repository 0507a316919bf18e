#!/usr/bin/env bash
# The Debian package in a clean Debian 12 root, as an office would live with it: installed, the
# administrator's database written into /etc/erp-host/erp-host.conf, a clerk who is not root saves
# a copy of a report, then the package is upgraded to a rebuilt one. Both the settings and the
# clerk's report must still be there and still be used.
#
#   scripts/package-roundtrip.sh BUILD_DIR     (as root; BUILD_DIR: a configured build, e.g. build/ci)
#
# The clean root is made once with debootstrap and kept, with the package's dependencies installed,
# under $ERP_CHROOT_CACHE (default ~/.cache/erp-chroot); each run unpacks a fresh copy of it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
cache=${ERP_CHROOT_CACHE:-$HOME/.cache/erp-chroot}
[ "$(id -u)" -eq 0 ] || { echo "package-roundtrip: needs root (chroot, dpkg)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "package-roundtrip: debootstrap is not installed" >&2; exit 2; }

say() { echo "package-roundtrip: $*"; }
fail() { echo "package-roundtrip: FALHOU: $*" >&2; exit 1; }

work=$(mktemp -d /tmp/erp-roundtrip.XXXXXX)
root=$work/root
cleanup() {
  for m in proc dev/pts dev; do mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"; done
  rm -rf "$work"
}
trap cleanup EXIT

# Two packages from the same build, the second one version higher.
( cd "$build" && rm -f erp-qmt318_*.deb \
  && cpack -G DEB -D CPACK_PACKAGE_VERSION=1.0.0 >/dev/null \
  && cpack -G DEB -D CPACK_PACKAGE_VERSION=1.0.1 >/dev/null )
old=$build/erp-qmt318_1.0.0_amd64.deb
new=$build/erp-qmt318_1.0.1_amd64.deb
[ -f "$old" ] && [ -f "$new" ] || fail "cpack did not write both packages"

# The clean root, with what the package depends on already in it: one per list of dependencies.
deps=$(dpkg-deb -f "$old" Depends | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/ //g' | grep -v '^$' | sort | tr '\n' ' ')
base=$cache/bookworm-$(echo "$deps" | sha256sum | cut -c1-16).tar
if [ ! -f "$base" ]; then
  say "making the clean root (once)"
  mkdir -p "$cache"
  rm -rf "$cache/root" "$cache"/bookworm-*.tar
  debootstrap --variant=minbase bookworm "$cache/root" >"$cache/debootstrap.log" 2>&1 \
    || fail "debootstrap failed (see $cache/debootstrap.log)"
  mount --bind /proc "$cache/root/proc"
  chroot "$cache/root" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $deps" >"$cache/apt.log" 2>&1 \
    || { umount -l "$cache/root/proc"; fail "installing the dependencies in the clean root failed (see $cache/apt.log)"; }
  umount -l "$cache/root/proc"
  tar -C "$cache/root" -cf "$base" .
  rm -rf "$cache/root"
fi
mkdir -p "$root"
tar -C "$root" -xf "$base"
mount --bind /proc "$root/proc"
cp "$old" "$new" "$root/tmp/"
in_root() { chroot "$root" "$@"; }
as_clerk() { chroot "$root" su - clerk -c "QT_QPA_PLATFORM=offscreen $*"; }

say "installing $(basename "$old")"
in_root dpkg -i "/tmp/$(basename "$old")" >/dev/null || fail "dpkg -i of the first package"
in_root getent group erp >/dev/null || fail "the group erp was not made"
[ "$(in_root stat -c '%a %G' /var/lib/erp-host/reports)" = "2775 erp" ] || fail "the office's report folder is not 2775 erp"
in_root test -f /etc/erp-host/erp-host.conf || fail "no /etc/erp-host/erp-host.conf"
in_root test -f /usr/include/erp-host/packages/PackageInfo.h || fail "no module headers under /usr/include/erp-host"

say "a clerk, in the group erp, makes a database; the administrator names it in /etc"
in_root useradd -m -G erp clerk
as_clerk "erp-host report --relatorio 1 -o /tmp/demo.csv --quiet" || fail "the first report on the demo database"
db=/home/clerk/.local/share/erp-host/demo.db
in_root test -f "$db" || fail "no demo database at $db"
as_clerk "ERP_SCRIPT='describe;quit' erp-host" >"$work/first.txt" 2>&1 || true
grep -q "Banco de demonstração" "$work/first.txt" || fail "the first start does not say it is the demo database: $(cat "$work/first.txt")"
in_root cp "$db" /srv/erp.db
in_root chmod 644 /srv/erp.db
in_root sed -i "s|^#banco=.*|banco=sqlite:/srv/erp.db|" /etc/erp-host/erp-host.conf
in_root rm "$db"
as_clerk "ERP_SCRIPT='describe;quit' erp-host" >"$work/describe.txt" 2>&1 || true
grep -q "sqlite:/srv/erp.db" "$work/describe.txt" || fail "erp-host did not open the database of /etc: $(cat "$work/describe.txt")"

say "the clerk saves a copy of a report"
as_clerk "ERP_SCRIPT='variant=1;click=sbtSalvarComo;answer=Ramos do Escritório;quit' erp-host --open QMT31800" \
  >"$work/save.txt" 2>&1 || fail "saving the copy: $(cat "$work/save.txt")"
saved=$(in_root find /var/lib/erp-host/reports -name '*.json' | head -1)
[ -n "$saved" ] || fail "the copy is not in the office's folder: $(cat "$work/save.txt")"
in_root test ! -e /home/clerk/.local/share/erp-host/reports/QMT318 || fail "the copy went to the clerk's own folder"
[ "$(in_root find /usr/share/erp-qmt318/reports -newer /tmp/"$(basename "$old")" -type f | wc -l)" = 0 ] \
  || fail "the package's own report folder was written"

say "upgrading to $(basename "$new")"
in_root dpkg -i "/tmp/$(basename "$new")" >/dev/null || fail "dpkg -i of the second package"
[ "$(in_root dpkg-query -W -f '${Version}' erp-qmt318)" = 1.0.1 ] || fail "the upgrade did not take"
in_root grep -q '^banco=sqlite:/srv/erp.db' /etc/erp-host/erp-host.conf || fail "the upgrade lost the settings"
in_root test -f "$saved" || fail "the upgrade lost the office's report $saved"
as_clerk "erp-host report --relatorio 'Ramos do Escritório' -o /tmp/copia.csv --quiet" \
  || fail "the saved copy is not listed after the upgrade"
say "ok: settings and the office's report kept across the upgrade"
