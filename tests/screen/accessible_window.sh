#!/usr/bin/env bash
# Starts accessible_window.py on the real program: the program copied into a
# temporary folder with the demonstration company and its INI file beside it,
# in a D-Bus session of its own (which starts the AT-SPI bus when asked), on
# the X display, or under xvfb-run when there is none.
# Usage: accessible_window.sh BUILD_FOLDER
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/quenvol" "$work/"
"$build/quenvol-admin" init "$work/data/" DEMO --demo >/dev/null
printf '[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%s\n' "$work/data/" > "$work/Morvanex.ini"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
dbus-run-session -- /usr/bin/python3 "$here/accessible_window.py" "$work"
