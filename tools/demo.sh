#!/usr/bin/env bash
# Builds the program, creates the demonstration company next to it (the INI
# file Morvanex.ini in the program's folder and the company database) and
# starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/dependencies.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENVOL_TESTS=OFF -DQUENVOL_BENCH=OFF
cmake --build build --target quenvol quenvol-admin

data="$PWD/build/demo-data/"
if [ ! -f "${data}DEMO/quelda.mdb" ]; then
  build/quenvol-admin init "$data" DEMO --demo
fi
if [ ! -f build/Morvanex.ini ]; then
  printf '[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%s\n' "$data" > build/Morvanex.ini
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Nessun display: avvio sotto xvfb-run." >&2
  exec xvfb-run -a build/quenvol
fi
exec build/quenvol
