#!/usr/bin/env bash
# menu.exe as a Windows user meets it, under Wine in Xvfb with twm, and what must hold there:
#
#     scripts/windows/launcher.sh [SHOTS_DIR]
#
# The demo package lies on the Wine drive D: (a dosdevices link of a Wine prefix of its own), the
# launcher at D:\ORVAN\MENU\menu.exe with its DLLs. A local update server announces, signed with
# the demo vendor's key (build/demo-key, shared with scripts/demo.sh), the next launcher as a
# Windows update package (the project's setup.exe at its top, the newer menu.exe and its DLLs)
# and a newer Team Viewer. Needs the cache that scripts/windows.sh fills.
#
# First the process checks: the refusal outside \ORVAN\MENU\ (another drive, ORVAN deeper on the
# drive), the window at its stored outer bounds, the settings saved at close through the atomic
# replace. Then the scene walk: main window, submenu, a program started, a .txt document in
# Wine's notepad, the desktop shortcut read back through IShellLinkW, the settings dialog, a
# second start that brings the first window forward, Team Viewer's update in place, and the
# launcher's own update through setup.exe to the next version. Each scene is saved as a PNG in
# SHOTS_DIR (default build/windows-scenes/shots). Anything that does not happen fails the run
# with the reason.
# shellcheck disable=SC2016 # wait_until's conditions are expanded when it tries them
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
# shellcheck source=scripts/windows/common.sh
source scripts/windows/common.sh
# shellcheck source=scripts/lib/scenes.sh
source scripts/lib/scenes.sh

jobs=${MENU_JOBS:-2}
work=$root/build/windows-scenes
shots=$(realpath -m "${1:-$work/shots}")
[ -f "$menu_win_cache/toolchain-paths.cmake" ] || die "run scripts/windows.sh first: the cache is empty"

fail() {
  echo "launcher.sh: $*" >&2
  [ -f "$work/menu.log" ] && tail -n 20 "$work/menu.log" >&2
  exit 1
}

# The demo vendor's key and a build that trusts it alone (the test build trusts none).
keys=$root/build/demo-key
if [ ! -s "$keys/demo.key" ]; then
  mkdir -p "$keys"
  minisign -G -W -f -p "$keys/demo.pub" -s "$keys/demo.key" >/dev/null
fi
build=$root/build/windows-demo
fresh_build_dir "$build"
say "building menu.exe, the next menu.exe and setup.exe with the demo vendor's key"
cmake --preset windows -B "$build" -DMENU_TESTS=OFF -DMENU_WINDOWS_CACHE="$menu_win_cache" \
  -DMENU_TRUSTED_KEYS="$(sed -n 2p "$keys/demo.pub")" >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; die "configuring $build failed"; }
cmake --build "$build" -j "$jobs" --target menu menu_next setup demo_package >"$build/build.log" 2>&1 ||
  { tail -n 40 "$build/build.log" >&2; die "building $build failed"; }

# Windows' own bounds of a window, from the probe's project.
probe=$root/build/windows-probe
if [ ! -f "$probe/window-rect.exe" ] || [ ! -f "$probe/colleague.exe" ]; then
  fresh_build_dir "$probe"
  cmake -G Ninja -S scripts/windows/probe -B "$probe" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64.cmake" \
    -DMENU_WINDOWS_CACHE="$menu_win_cache" >"$probe/configure.log" 2>&1 &&
    cmake --build "$probe" --target window-rect colleague >"$probe/build.log" 2>&1 ||
    { tail -n 40 "$probe"/*.log >&2; die "building window-rect.exe and colleague.exe failed"; }
fi

rm -rf "$work"
mkdir -p "$work/d" "$work/e" "$work/server/ORVANWIN/FILES" "$shots"
drive_d=$work/d
menu_dir=$drive_d/ORVAN/MENU
cp -R "$build/demo-package/ORVAN" "$drive_d/"
# A module whose button opens a document: Windows opens a .txt in notepad.
mkdir -p "$drive_d/ORVAN/KAB"
printf 'Novinky balíka ORVAN\r\n\r\nVerzia %s prináša nové tlačivá.\r\n' "$(date +%Y)" |
  iconv -f UTF-8 -t CP1250 >"$drive_d/ORVAN/KAB/Novinky.txt" # as Windows' notepad writes it
printf '[Menu1]\r\nExe=\\ORVAN\\KAB\\Novinky.txt\r\nNaz=Novinky ORVAN\r\nDop=čo prináša nová verzia\r\n' \
  >"$drive_d/ORVAN/orvan-Kab.ini"
scripts/windows/deploy.sh "$menu_dir" "$build/menu.exe"
placement() {
  printf '[OPTIONS]\r\nButtonsView=Hor\r\nLeft=%s\r\nTop=%s\r\nWidth=%s\r\nHeight=%s\r\nWindowState=0\r\nLicKon=%s\r\n' "$@" \
    >"$menu_dir/menu.ini"
}

# The Windows update package and its signed announcement, kept in $build/update as well.
next=$(cat "$build/demo-next-version.txt")
package=orvan-menu-$next.zip
staging=$work/package
rm -rf "$build/update-symbols"
scripts/windows/deploy.sh --symbols "$build/update-symbols" "$staging" "$build/menu_next.exe"
mv "$staging/menu_next.exe" "$staging/menu.exe"
cp "$build/setup.exe" "$staging/setup.exe"
scripts/windows/release-files.sh --symbols "$build/update-symbols" --demo-certificate "$root/build/demo-sign" "$staging"
server=$work/server
(cd "$staging" && zip -q -r -X "$server/ORVANWIN/FILES/$package" .)
cp "$build/demo-server-files/TeamViewerQS.exe" "$server/ORVANWIN/FILES/TeamViewerQS.exe"
checks() {
  local file=$server/ORVANWIN/FILES/$1
  printf 'AktLen=%s\r\nAktSha256=%s\r\n' "$(stat -c %s "$file")" "$(sha256sum "$file" | cut -d' ' -f1)"
}
document=$server/ORVANWIN/orvan_akt.ini
{
  printf '[ORVAN]\r\nAktCis=%s\r\nAktDat=%s\r\nAktFil=%s\r\n' "$next" "$(date +%d.%m.%Y)" "$package"
  checks "$package"
  printf '\r\n[TEA]\r\nAktCis=15.51.5\r\nAktFil=TeamViewerQS.exe\r\n'
  checks TeamViewerQS.exe
} >"$document"
minisign -S -s "$keys/demo.key" -m "$document" >/dev/null
rm -rf "$build/update" && mkdir -p "$build/update"
cp "$server/ORVANWIN/FILES/$package" "$document" "$document.minisig" "$build/update/"
say "Windows update package: $build/update/$package"

# A Wine prefix of its own (a copy of the tests' one), with D: and E: and real desktop folders.
menu_win_wine_env
menu_win_wine_prefix
cp -a "$WINEPREFIX" "$work/prefix"
export WINEPREFIX=$work/prefix
ln -s "$drive_d" "$WINEPREFIX/dosdevices/d:"
ln -s "$work/e" "$WINEPREFIX/dosdevices/e:"
for folder in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done
# Windows' own frames and title bars, drawn by Wine, as a Windows user sees them.
"$menu_win_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 ||
  die "cannot set Wine's Decorated=N"
# Windows links .txt to the text-file class that opens notepad; Wine's prefix has the class alone.
"$menu_win_wine" reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1 ||
  die "cannot link .txt to notepad in the Wine prefix"
"$menu_win_wineserver" -w
menu_win_slovak_locale "$work/locale"
export LC_ALL=sk_SK.UTF-8

server_pid=''
cleanup() {
  "$menu_win_wineserver" -k 2>/dev/null || true
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  menu_win_display_stop || true
}
trap cleanup EXIT
seconds=${MENU_DEMO_DOWNLOAD_SECONDS:-4}
python3 demo/server/server.py "$server" "$work/server.port" "$seconds" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 300); do [ -s "$work/server.port" ] && break; sleep 0.1; done
[ -s "$work/server.port" ] || die "the demo update server did not start"
ORVAN_UPDATE_HOST=127.0.0.1:$(cat "$work/server.port")
export ORVAN_UPDATE_HOST

menu_win_display_start "$root/demo/twmrc-windows"
"$menu_win_wine" wineboot >/dev/null 2>&1 || true

title="ORVAN - Základná ponuka"
# The starter MENU\menu.exe and a launcher in a version folder MENU\versions\<name>\.
launchers() { pgrep -f 'ORVAN.MENU.(versions.[^ ]*.)?menu\.exe' || true; }
# Starts WINDOWS_PATH under Wine from the Unix directory DIR (in the background).
run_windows() {
  (cd "$1" && exec "$menu_win_wine" "$2" >>"$work/menu.log" 2>&1) &
}
start_launcher() {
  run_windows "$menu_dir" 'D:\ORVAN\MENU\menu.exe'
  main=$(window_named "$title" 600)
  [ -n "$main" ] || fail "the launcher's window did not appear"
  sleep 1.5 # the first layout and paint, for the pictures
}
# Closes the main window as a user does (Alt+F4) and waits until the launcher has ended.
close_launcher() {
  close_window "$main" || true
  wait_until '[ -z "$(launchers)" ]' 300 || fail "the launcher did not end after Alt+F4"
}
# Alt+F4 to a window, again while it is still there (the key may come before it has the focus).
close_window() {
  local window=$1
  for _ in $(seq 5); do
    xwininfo -id "$window" >/dev/null 2>&1 || return 0
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key alt+F4
    wait_until '! xwininfo -id "$window" >/dev/null 2>&1' 30 && return 0
  done
  return 1
}
# Waits up to $2 tenths of a second for the condition $1 (a shell command).
wait_until() {
  for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done
  return 1
}

# shellcheck source=scripts/windows/launcher-checks.sh
source scripts/windows/launcher-checks.sh
process_checks
scene_walk
say "all checks passed; pictures in $shots"
