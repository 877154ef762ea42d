#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the launcher and runs it on the demo package.
# Without a display it runs under Xvfb, saves a screenshot of the window and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target menu menu-doctor

# The demo tree: <demo>/ORVAN holds the module files, <demo>/ORVAN/MENU the launcher.
demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -R demo/package/. "$demo/"
mkdir -p "$demo/ORVAN/MENU"
cp build/default/menu "$demo/ORVAN/MENU/menu"
echo "demo package: $demo/ORVAN"

# The demo update server on 127.0.0.1: the launcher fetches its news from there.
serverlog=$root/build/demo-server.log
python3 -u -m http.server 0 --bind 127.0.0.1 --directory demo/server >"$serverlog" 2>&1 &
server=$!
port=
for _ in $(seq 50); do
  port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$serverlog" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the demo update server did not start" >&2; kill "$server"; exit 1; }
export ORVAN_UPDATE_HOST=127.0.0.1:$port
echo "demo update server: http://$ORVAN_UPDATE_HOST/ORVANWIN/orvan_akt.ini"

if [ -n "${DISPLAY:-}" ] && [ "${MENU_DEMO_HEADLESS:-0}" != 1 ]; then
  "$demo/ORVAN/MENU/menu" || true
  kill "$server" 2>/dev/null || true
  exit 0
fi

# No display: a virtual one, a screenshot of the launcher's window, then a clean close.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
launcher=
cleanup() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$demo/ORVAN/MENU/menu" &
launcher=$!
title="ORVAN - Základná ponuka"
window=
for _ in $(seq 100); do
  window=$(xwininfo -name "$title" 2>/dev/null | awk '/Window id:/ {print $4}') || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the launcher's window did not appear" >&2; exit 1; }
sleep 2.5 # let the first layout, the paint and the update check (a second in) settle
shot=$root/build/demo-main-window.png
import -window "$window" "$shot"
echo "screenshot: $shot"

kill -TERM "$launcher"
wait "$launcher" || true
launcher=
echo "settings saved: $demo/ORVAN/MENU/menu.ini"
