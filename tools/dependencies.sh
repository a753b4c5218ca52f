#!/usr/bin/env bash
# Installs what building and testing the program needs, from Debian 12's
# packages: as root with apt-get; otherwise prints the exact command and stops.
# With the argument "packaging" also what building and checking the Debian
# package needs (tools/package.sh, tests/package/check_package.sh); with
# "windows" what the Windows build and its trial under Wine need
# (tools/windows.sh: the MinGW-w64 cross compiler with posix threads, Debian's
# host Qt tools, GoogleTest's sources, Wine, NSIS, xdotool; xwd, xwdtopnm and
# tesseract to read the window's screenshots back).
set -euo pipefail

PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libsqlite3-dev sqlite3 libx11-dev
          libgtest-dev fonts-liberation xvfb xauth pkg-config mdbtools-dev mdbtools
          libpq-dev postgresql clang libfuzzer-14-dev poppler-utils qt6-translations-l10n dpkg-dev
          libssl-dev openssl locales libp11-dev softhsm2 opensc libnss3-tools dbus at-spi2-core
          python3-pyatspi xdotool)
# locales: the Italian locale (it_IT.UTF-8), under which the tests read libpq's
# and the server's Italian messages, and the German one (de_DE.UTF-8), a server
# language the program reads no text of.
# dpkg-dev: dpkg-buildflags gives the build Debian's hardening flags.
# libssl-dev: the seal's RFC 3161 time stamp and the office's signature; openssl: the tests'
# certification and time-stamping authorities and the certificates of their TLS server
# (tools/pg_test_server.sh start-tls). libp11-dev: signing keys on PKCS#11 tokens;
# softhsm2 and opensc (pkcs11-tool): the tests' token; libnss3-tools (certutil): the NSS
# database poppler's pdfsig checks the tests' signed PDFs with.
# dbus, at-spi2-core, python3-pyatspi, xdotool: the test that reads the window as a screen
# reader does and types into it.
if [ "${1:-}" = packaging ]; then
  PACKAGES+=(file lintian man-db desktop-file-utils appstream)
fi
if [ "${1:-}" = windows ]; then
  PACKAGES+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix qt6-base-dev-tools googletest
             wine64 nsis xdotool tesseract-ocr x11-apps netpbm)
fi

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
locales=0
locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$' || locales=1
locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || locales=1
[ ${#missing[@]} -eq 0 ] && [ $locales -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Mancano dei pacchetti o le lingue italiana e tedesca. Installali con:" >&2
  [ ${#missing[@]} -eq 0 ] || echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  [ $locales -eq 0 ] || echo "  printf 'it_IT.UTF-8 UTF-8\\nde_DE.UTF-8 UTF-8\\n' | sudo tee -a /etc/locale.gen && sudo locale-gen" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
if [ $locales -eq 1 ]; then
  grep -q '^it_IT.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'it_IT.UTF-8 UTF-8' >> /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
