#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the host need.
# Idempotent: quiet when everything is present; runs apt-get update only when something is missing.
# With --app, only what building and opening the program needs (./run).
set -euo pipefail

# What ./run needs to build and open the program.
APP_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-ibase libqt6sql6-psql libgl-dev libsqlite3-dev
  qt6-translations-l10n zlib1g-dev libxlsxwriter-dev firebird-dev
  fonts-liberation fonts-dejavu-core fonts-noto-core fonts-droid-fallback fonts-symbola
  libfontconfig-dev libharfbuzz-dev libicu-dev
  xvfb xauth
)
# What ./test needs besides: the Firebird and PostgreSQL servers, GoogleTest, the readers the tests check files
# with, the real-window and accessibility tools, the sanitizer runtime and valgrind.
TEST_PACKAGES=(
  firebird3.0-server firebird3.0-utils
  postgresql-15 postgresql-client-15
  libgtest-dev
  dbus dbus-x11 x11-utils
  poppler-utils qpdf unzip python3-openpyxl
  xdotool at-spi2-core python3-pyatspi
  clang clang-format libclang-rt-14-dev valgrind
  debootstrap
)
PACKAGES=("${APP_PACKAGES[@]}")
[ "${1:-}" = "--app" ] || PACKAGES+=("${TEST_PACKAGES[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The Firebird server asks for a SYSDBA password through debconf; answer it up front with a random
# one that nobody keeps: scripts/firebird-server.sh sets its own at each start.
sysdba_password=$(head -c 64 /dev/urandom | base64 -w0 | tr -dc 'A-Za-z0-9')
echo "firebird3.0-server shared/firebird/enabled boolean true" | $SUDO debconf-set-selections 2>/dev/null || true
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password $sysdba_password" | $SUDO debconf-set-selections 2>/dev/null || true
unset sysdba_password
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
