#!/usr/bin/env bash
# Starts accessible_window.py on the real program: the program copied into a
# temporary folder with the demonstration company and its INI file beside it,
# in a D-Bus session of its own (which starts the AT-SPI bus when asked), on
# an Xvfb of its own started with -noreset: a shared display resets whenever
# its last client leaves, and a program connecting in that moment is refused.
# Usage: accessible_window.sh BUILD_FOLDER
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb=
cleanup() {
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# A free display number well above those other programs take first; Xvfb
# refuses one already held (its lock file), and the next is tried.
for _ in $(seq 20); do
  number=$((RANDOM % 700 + 300))
  [ -e "/tmp/.X11-unix/X$number" ] && continue
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null &
  xvfb=$!
  # Ready once it answers a client, not merely once its socket exists.
  for _ in $(seq 300); do
    { DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1 || ! kill -0 "$xvfb" 2>/dev/null; } && break
    sleep 0.1
  done
  if kill -0 "$xvfb" 2>/dev/null && DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1; then
    export DISPLAY=":$number"
    unset XAUTHORITY
    break
  fi
  wait "$xvfb" 2>/dev/null || true
  xvfb=
done
[ -n "$xvfb" ] || { echo "Xvfb non è partito" >&2; exit 1; }
cp "$build/quenvol" "$work/"
"$build/quenvol-admin" init "$work/data/" DEMO --demo >/dev/null
printf '[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%s\n' "$work/data/" > "$work/Morvanex.ini"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
dbus-run-session -- /usr/bin/python3 "$here/accessible_window.py" "$work"
