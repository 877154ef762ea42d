#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the launcher and runs it on the demo package, against a
# local update server that announces a newer launcher and a newer Team Viewer. The demo plays the
# vendor too: it makes a key of its own, signs the announcement with it, and builds the launcher
# (and the newer one its update installs) to trust that key alone.
#
# With a display the launcher just runs; the command ends (and stops the server) when the
# launcher ends, also when it ended through its own update and the newer one has closed.
# Without a display everything runs under Xvfb with the window manager twm (demo/twmrc), and the
# main scenes are walked by themselves; each is saved as a PNG under build/demo-shots and its
# path printed. A scene whose window does not appear is reported and skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# --windows: the same walk with menu.exe under Wine (scripts/windows/launcher.sh), the package on
# drive D:; the Windows cross-build is set up first when its cache is empty.
if [ "${1:-}" = --windows ]; then
  [ -f "${MENU_WINDOWS_CACHE:-$HOME/.cache/orvan-menu-windows}/toolchain-paths.cmake" ] || scripts/windows.sh
  scripts/windows/launcher.sh "$root/build/windows-shots"
  if [ "${MENU_DEMO_DOCS:-0}" = 1 ]; then
    convert build/windows-shots/main-window.png -resize 800x +dither -colors 256 PNG8:docs/windows-main-window.png
    convert build/windows-shots/launcher-downloading.png -resize 800x +dither -colors 256 PNG8:docs/windows-update-dialog.png
    echo "pictures: docs/windows-main-window.png docs/windows-update-dialog.png"
  fi
  exit 0
fi

scripts/install-deps.sh
# The demo vendor's key, made once, at the first build; kept for later runs, so that the build
# stays configured.
keys=$root/build/demo-key
if [ ! -s "$keys/demo.key" ]; then
  mkdir -p "$keys"
  minisign -G -W -f -p "$keys/demo.pub" -s "$keys/demo.key" >/dev/null
fi
demo_key=$(sed -n 2p "$keys/demo.pub")
# A build of its own: the one of the tests trusts no key.
build=$root/build/demo-build
cmake --preset default -B "$build" -DMENU_TESTS=OFF -DMENU_TRUSTED_KEYS="$demo_key" >/dev/null
cmake --build "$build" -j "$(nproc)" --target menu menu-doctor menu_next demo_package setup

demo=$root/build/demo             # a link to the installation: ORVAN/ with the modules, ORVAN/MENU/menu
server=$root/build/demo-server    # what the update server publishes
home=$root/build/demo-home        # the demo user's configuration and desktop
work=$root/build/demo-work        # temporary directory of the launcher, server state
shots=$root/build/demo-shots
# The installation lies at a short, neutral path, as an office's would: the launcher names the
# package directory by the path it runs from, and the pictures show it.
installation=${MENU_DEMO_ROOT:-/srv/orvan}
if ! mkdir -p "$installation" 2>/dev/null || [ ! -w "$installation" ]; then
  sudo mkdir -p "$installation"
  sudo chown "$(id -u):$(id -g)" "$installation"
fi
rm -rf "$demo" "$installation/ORVAN" "$server" "$home" "$work" "$shots"
ln -s "$installation" "$demo"
mkdir -p "$server/ORVANWIN/FILES" "$home/.config" "$home/Desktop" "$work/tmp" "$work/run" "$shots"
chmod 700 "$work/run"

cp -R "$build/demo-package/." "$demo/"
mkdir -p "$demo/ORVAN/MENU"
cp "$build/menu" "$demo/ORVAN/MENU/menu"
menu_dir=$(realpath "$demo/ORVAN/MENU")
menu=$menu_dir/menu
printf '[OPTIONS]\r\nButtonsView=Hor\r\nLeft=0\r\nTop=0\r\nWidth=1000\r\nHeight=600\r\nWindowState=0\r\nLicKon=0\r\n' \
  > "$menu_dir/menu.ini"
echo "demo package: $installation/ORVAN ($demo)"

# The update server's content: the update-information document with its signature, the
# launcher's package (the newer build and its installer setup.exe) and the newer Team Viewer
# program. The document names each file's length and SHA-256, as menu-doctor announce gives them.
next=$(cat "$build/demo-next-version.txt")
package=orvan-menu-$next.zip
staging=$work/package
mkdir -p "$staging"
cp "$build/setup" "$staging/setup.exe"
cp "$build/menu_next" "$staging/menu"
chmod 755 "$staging/setup.exe" "$staging/menu"
(cd "$staging" && zip -q -X "$server/ORVANWIN/FILES/$package" setup.exe menu)
cp "$build/demo-server-files/TeamViewerQS.exe" "$server/ORVANWIN/FILES/TeamViewerQS.exe"
checks() { "$build/menu-doctor" announce "$server/ORVANWIN/FILES/$1" | sed -n '/^AktLen=\|^AktSha256=/s/$/\r/p'; }
document=$server/ORVANWIN/orvan_akt.ini
{
  printf '[ORVAN]\r\nAktCis=%s\r\nAktDat=%s\r\nAktFil=%s\r\n' "$next" "$(date +%d.%m.%Y)" "$package"
  checks "$package"
  printf '\r\n[TEA]\r\nAktCis=15.51.5\r\nAktFil=TeamViewerQS.exe\r\n'
  checks TeamViewerQS.exe
} > "$document"
minisign -S -s "$keys/demo.key" -m "$document" >/dev/null

server_pid=
xvfb_pid=
twm_pid=
cleanup() {
  for pid in $(demo_launchers); do kill -TERM "$pid" 2>/dev/null || true; done
  # The demo's Windows programs run under the demo's own wine prefix.
  command -v wineserver >/dev/null && wineserver -k 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "$twm_pid" ] && kill "$twm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
# The processes of this demo: the launcher (also a newer one the installer put into a version
# folder of its own and started) and the installer while it runs.
demo_launchers() {
  find /proc -mindepth 2 -maxdepth 2 -name exe \( -lname "$menu" -o -lname "$menu (deleted)" \
    -o -lname "$menu_dir/versions/*/menu" -o -lname "$menu_dir/versions/*/menu (deleted)" \) \
    2>/dev/null | cut -d/ -f3
  pgrep -f -- "$work/tmp/orvan-update-[^/]*/ORVAN-INSTAL/setup.exe" || true
}
trap cleanup EXIT

seconds=${MENU_DEMO_DOWNLOAD_SECONDS:-4} # how long each package download takes
python3 demo/server/server.py "$server" "$work/server.port" "$seconds" \
  2> "$work/server.log" &
server_pid=$!
for _ in $(seq 300); do [ -s "$work/server.port" ] && break; sleep 0.1; done
[ -s "$work/server.port" ] || { echo "the demo update server did not start" >&2; exit 1; }
port=$(cat "$work/server.port")
echo "update server: http://127.0.0.1:$port/ORVANWIN/orvan_akt.ini announces $next"

export ORVAN_UPDATE_HOST=127.0.0.1:$port
export TMPDIR=$work/tmp
export XDG_CONFIG_HOME=$home/.config
printf 'XDG_DESKTOP_DIR="%s/Desktop"\n' "$home" > "$XDG_CONFIG_HOME/user-dirs.dirs"
# The demo's Windows programs run in a wine prefix of the demo user, made before the first click
# (that takes wine half a minute); wine's .NET and HTML installers would ask to download.
export WINEPREFIX=$home/.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
prepare_wine() {
  command -v wine >/dev/null || return 0
  echo "preparing wine in $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 && wineserver -w || true
}

# Waits until every process of the demo has ended.
wait_for_the_end() {
  while [ -n "$(demo_launchers)" ]; do sleep 0.5; done
}
show_shortcut() {
  local entry=$home/Desktop/ORVAN.desktop
  [ -f "$entry" ] || return 0
  echo "desktop shortcut: $entry"
  grep -E "^(Exec|Path|Icon)=" "$entry" || true
}

if [ -n "${DISPLAY:-}" ] && [ "${MENU_DEMO_HEADLESS:-0}" != 1 ]; then
  prepare_wine
  (cd "$menu_dir" && "$menu") &
  wait $! || true
  wait_for_the_end
  show_shortcut
  exit 0
fi

# No display: a virtual one, and the scenes walked by a script.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
export XDG_RUNTIME_DIR=$work/run
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A window manager, so that the pictures show frames and title bars.
LANG=C.UTF-8 twm -f demo/twmrc >/dev/null 2>&1 &
twm_pid=$!
prepare_wine

title="ORVAN - Základná ponuka"
# shellcheck source=scripts/lib/scenes.sh
source scripts/lib/scenes.sh
start_launcher() {
  (cd "$menu_dir" && exec "$menu") &
  main=$(window_named "$title" 150)
  [ -n "$main" ] || { echo "the launcher's window did not appear" >&2; exit 1; }
  sleep 1.5 # the first layout and paint
}
start_launcher
# The background check runs about a second after the window is shown.
for _ in $(seq 50); do grep -q "^AktCis=$next" "$menu_dir/menu.ini" && break; sleep 0.2; done
sleep 0.5
shot main-window "$main"

# A button's submenu: the third button (Účtovníctvo) has documents of every kind.
context_menu 475 50
shot submenu "$main"
press Escape

# A click on a button starts its program, a Windows program through wine: the demo program
# shows a box that names it. Whatever fails is told in a Slovak box.
xdotool mousemove --window "$main" 95 50 click 1
program=$(window_named "Servis ORVAN" 600)
if [ -n "$program" ]; then
  sleep 1
  shot program-started "$main" "$program"
  answer "Servis ORVAN" Return || true
else
  box=
  for kind in Chyba Upozornenie Informácia; do
    box=$(window_named "$kind" 1)
    [ -n "$box" ] && break
  done
  if [ -n "$box" ]; then shot program-failed "$main"; answer "$kind" Return || true; fi
  skipped program-started "no window of the program"
fi

# A document that no application of this desktop opens (the help file of Účtovníctvo): said in
# a box instead of a click that does nothing.
context_menu 475 50
press Down Down Return
if box=$(window_named "Chyba" 30) && [ -n "$box" ]; then
  shot launch-failure "$main"
  answer "Chyba" Return || true
else
  skipped launch-failure "the help file was opened"
fi

# The desktop shortcut: the question, the success, and the second use.
panel_menu
press Down Down Down Return
if box=$(window_named "Potvrdenie" 30) && [ -n "$box" ]; then
  shot shortcut-question "$main"
  answer "Potvrdenie" Return
  answer "Informácia" Return || true
  show_shortcut
  panel_menu
  press Down Down Down Return
  sleep 0.5
  shot shortcut-exists "$main"
  answer "Upozornenie" Return || answer "Informácia" Return || answer "Chyba" Return || true
else
  skipped shortcut "no question box"
fi

# The update-check settings dialog.
panel_menu
press Down Down Down Down Return
if dialog=$(window_named "Nastavenie aktualizácie z internetu ..." 30) && [ -n "$dialog" ]; then
  shot settings "$main"
  answer "Nastavenie aktualizácie z internetu ..." Escape || true
else
  skipped settings "the dialog did not appear"
fi

# Team Viewer's update: the dialog before, during and after its download.
panel_menu
press Up Up Return
if dialog=$(window_named "Aktualizácia programu" 30) && [ -n "$dialog" ]; then
  sleep 0.5
  shot update-dialog "$main"
  xdotool mousemove --window "$dialog" 120 147 click 1 # Stiahnuť
  sleep 1.5
  shot update-downloading "$main"
  sleep "$seconds" # the rest of the download, and a little more
  shot update-downloaded "$main"
  answer "Aktualizácia programu" Escape || true
  sleep 1.5
  shot team-viewer-updated "$main"
else
  press Escape
  skipped update "the update dialog did not appear"
fi

# A tampered update: someone on the way announces a version of their own, and the vendor's
# signature no longer matches the document. The launcher refuses it, stores nothing of it, and
# says why in red; the picture shows the label's tooltip too.
cp "$document" "$work/orvan_akt.ini.honest"
sed -i "s/^AktCis=$next/AktCis=9.9.9.99/" "$document"
echo "the tampered announcement, as menu-doctor sees it:"
"$build/menu-doctor" check "127.0.0.1:$port" | sed 's/^/  /' || true
signatures() { grep -c 'orvan_akt.ini.minisig' "$work/server.log" || true; }
before=$(signatures)
panel_menu
press Down Return # "&Obnoviť": the check runs again
for _ in $(seq 50); do [ "$(signatures)" -gt "$before" ] && break; sleep 0.2; done
sleep 1
xdotool mousemove --window "$main" 895 548
sleep 2.5 # until the tooltip shows
shot refused "$main" +120
if grep -q '^AktCis=9.9.9.99' "$menu_dir/menu.ini"; then
  echo "scene refused: the tampered version was stored" >&2
fi
cp "$work/orvan_akt.ini.honest" "$document"

# The launcher's own update: closed and started again, it offers the announced version; the
# answer Yes downloads and unpacks the package, whose installer puts the newer launcher in place
# and starts it.
for pid in $(demo_launchers); do kill -TERM "$pid" 2>/dev/null || true; done
wait_for_the_end
start_launcher
if box=$(window_named "Potvrdenie" 30) && [ -n "$box" ]; then
  shot offer "$main"
  answer "Potvrdenie" Return
  sleep 1.5
  shot launcher-downloading "$main"
  # The old launcher closes, the installer starts the new one: a new process with a main window.
  # The window may get the old one's id (the X server reuses a departed client's ids), so the
  # process tells them apart.
  old_pids=" $(demo_launchers | tr '\n' ' ')"
  new_main=
  for _ in $(seq 150); do
    newer=
    for pid in $(demo_launchers); do
      case "$old_pids" in *" $pid "*) ;; *) newer=$pid ;; esac
    done
    if [ -n "$newer" ] && [ -z "$(ps -o pid= -p "$old_pids" 2>/dev/null)" ]; then
      id=$(window_named "$title" 1)
      if [ -n "$id" ]; then new_main=$id; break; fi
    fi
    sleep 0.2
  done
  if [ -n "$new_main" ]; then
    main=$new_main
    sleep 2
    shot updated "$main"
    # menu is now the starter; the launcher it starts lies in the current version's folder.
    "$build/menu-doctor" version "$menu_dir/versions/$(head -n1 "$menu_dir/versions/current")/menu" \
      041B04E2 FileVersion | cut -f2 | sed "s/^/the installed launcher now: v/"
  else
    skipped updated "no new launcher window"
  fi
else
  skipped offer "no new-version offer at start"
fi

for pid in $(demo_launchers); do kill -TERM "$pid" 2>/dev/null || true; done
wait_for_the_end
echo "settings saved: $menu_dir/menu.ini"

# MENU_DEMO_DOCS=1 refreshes the README's pictures from this walk.
if [ "${MENU_DEMO_DOCS:-0}" = 1 ]; then
  mkdir -p docs
  for scene in main-window submenu program-started launch-failure shortcut-exists settings \
    update-downloading update-downloaded refused offer updated; do
    [ -f "$shots/$scene.png" ] || continue
    convert "$shots/$scene.png" -resize 800x +dither -colors 256 "PNG8:docs/demo-$scene.png"
    echo "picture: docs/demo-$scene.png"
  done
fi
