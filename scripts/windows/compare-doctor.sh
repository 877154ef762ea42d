#!/usr/bin/env bash
# Runs the Linux menu-doctor and menu-doctor.exe under Wine on the same inputs and compares
# what they answer (output and exit status):
#
#     scripts/windows/compare-doctor.sh LINUX_DOCTOR WINDOWS_DOCTOR.exe PACKAGE_DIR
#
# PACKAGE_DIR holds ORVAN/ (build/default/demo-package). Each side gets its own copy of it; the
# Windows copy is the Wine drive D: (a dosdevices link), so that the launcher's directory is
# D:\ORVAN\MENU\ there. Both sides run with Slovak regional settings (glibc's sk_SK, compiled
# into a private LOCPATH). Paths in the answers are compared below their drive, with '/'.
# Commands: ini get, ini set (and the bytes of the file it wrote), modules, version, icon (the
# PNG's bytes), extract, download (from demo/server/server.py on 127.0.0.1: a file, a missing
# one, a closed port), check and fetch (a document signed with a key of this run: the right
# key, another, the built-in ones, tampered), regional, edit-value. Exit status 1 when any answer differs.
set -euo pipefail
# shellcheck source=scripts/windows/common.sh
source "$(dirname "$0")/common.sh"

[ $# -eq 3 ] || die "usage: compare-doctor.sh LINUX_DOCTOR WINDOWS_DOCTOR.exe PACKAGE_DIR"
linux_doctor=$(realpath "$1")
windows_doctor=$(realpath "$2")
package=$(realpath "$3")
[ -x "$linux_doctor" ] || die "$linux_doctor: no Linux menu-doctor"
[ -f "$windows_doctor" ] || die "$windows_doctor: no menu-doctor.exe"
[ -d "$package/ORVAN" ] || die "$package/ORVAN: no package"

menu_win_wine_env
menu_win_wine_prefix
work=$(mktemp -d "${TMPDIR:-/tmp}/menu-compare.XXXXXX")
drive=$WINEPREFIX/dosdevices/d:
server_pid=''
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  rm -f "$drive"
  rm -rf "$work"
}
trap cleanup EXIT
[ ! -e "$drive" ] || [ -L "$drive" ] || die "$drive exists and is no link"

menu_win_slovak_locale "$work/locale"
for side in linux windows; do
  mkdir -p "$work/$side"
  cp -r "$package/ORVAN" "$work/$side/"
  mkdir -p "$work/$side/ORVAN/MENU" "$work/$side/pkg/ORVAN-INSTAL/docs" "$work/$side/bad"
  # A launcher package as the update server offers it, and one without its installer.
  printf 'MZ' >"$work/$side/pkg/ORVAN-INSTAL/setup.exe"
  printf 'Čítajte ma.\r\n' >"$work/$side/pkg/ORVAN-INSTAL/docs/čítaj.txt"
  (cd "$work/$side/pkg/ORVAN-INSTAL" && zip -qr ../orvan_update.zip . && cd .. && rm -r ORVAN-INSTAL)
  printf 'x' >"$work/$side/bad/readme.txt"
  (cd "$work/$side/bad" && zip -q orvan_update.zip readme.txt && rm readme.txt)
done
ln -sfn "$work/windows" "$drive"

# Answers with the drive's part of paths replaced and line ends as on Linux. A download's
# progress lines depend on how the bytes arrived, and libcurl's words on how long it tried; its
# result and the file it wrote count.
normalize() {
  sed -e '/^received: /d' -e 's/\r$//' -e 's/ after [0-9]* ms/ after <n> ms/g' \
    -e 's|^directory: .*orvan-update-.*|directory: <private>|' \
    -e "s|$work/linux|<drive>|g" -e 's|[Dd]:\\|<drive>\\|g' -e 's|[Dd]:/|<drive>/|g' \
    -e '/<drive>/s|\\|/|g' "$1"
}

failures=0
# compare NAME ARGS...: an argument with @D@ names a path below the drive ('/' between names).
compare() {
  local name=$1 arg windows_arg status_l=0 status_w=0
  shift
  local linux_args=() windows_args=()
  for arg in "$@"; do
    linux_args+=("${arg//@D@/$work/linux}")
    if [[ $arg == *@D@* ]]; then
      windows_arg=${arg//@D@/D:}
      windows_args+=("${windows_arg//\//\\}")
    else
      windows_args+=("$arg")
    fi
  done
  (cd "$work/linux" && LC_ALL=sk_SK.UTF-8 "$linux_doctor" "${linux_args[@]}") >"$work/out.linux" 2>&1 ||
    status_l=$?
  (cd "$work/windows" && MENU_WINE_LOCALE=sk_SK.UTF-8 "$menu_win_repo/scripts/windows/wine-run.sh" \
    "$windows_doctor" "${windows_args[@]}") >"$work/out.windows" 2>&1 || status_w=$?
  echo "status $status_l" >>"$work/out.linux"
  echo "status $status_w" >>"$work/out.windows"
  if diff <(normalize "$work/out.linux") <(normalize "$work/out.windows") >"$work/diff"; then
    echo "same      $name"
  else
    echo "DIFFERENT $name (< Linux, > Windows):"
    sed 's/^/    /' "$work/diff"
    failures=$((failures + 1))
  fi
}

# same_files NAME PATH: the file at PATH below each side's drive has the same bytes.
same_files() {
  if cmp -s "$work/linux/$2" "$work/windows/$2"; then
    echo "same      $1"
  else
    echo "DIFFERENT $1: $2"
    failures=$((failures + 1))
  fi
}

compare "ini get (UTF-8 module file)" ini get @D@/ORVAN/orvan-Tav.ini Menu1 Naz
compare "ini get (missing key)" ini get @D@/ORVAN/orvan-Tav.ini Menu1 Chyba
compare "ini get (missing file)" ini get @D@/ORVAN/MENU/menu.ini OPTIONS Width
compare "ini set (new file)" ini set @D@/ORVAN/MENU/menu.ini OPTIONS ButtonsView Hor
compare "ini set (Slovak value)" ini set @D@/ORVAN/MENU/menu.ini ORVAN AktFil "účtovníctvo-1.1.0.8.zip"
compare "ini set (second key)" ini set @D@/ORVAN/MENU/menu.ini OPTIONS Width 1000
compare "ini get (written)" ini get @D@/ORVAN/MENU/menu.ini ORVAN AktFil
same_files "menu.ini as written" ORVAN/MENU/menu.ini
compare "modules" modules @D@/
while IFS= read -r program; do
  compare "version ${program#ORVAN/}" version "@D@/$program"
done < <(cd "$work/linux" && find ORVAN -iname '*.exe' | sort)
compare "version (missing file)" version @D@/ORVAN/TAV/chyba.exe
compare "version (folder)" version @D@/ORVAN/TAV
n=0
while IFS= read -r program; do
  n=$((n + 1))
  compare "icon ${program#ORVAN/}" icon "@D@/$program" "icon-$n.png"
  same_files "icon ${program#ORVAN/} (PNG)" "icon-$n.png"
done < <(cd "$work/linux" && find ORVAN -iname '*.exe' | sort)
compare "extract (package)" extract @D@/pkg/orvan_update.zip
diff <(cd "$work/linux/pkg" && find . | sort) <(cd "$work/windows/pkg" && find . | sort) >/dev/null &&
  echo "same      extract (unpacked files)" ||
  { echo "DIFFERENT extract (unpacked files)"; failures=$((failures + 1)); }
compare "extract (no installer)" extract @D@/bad/orvan_update.zip
# The update server's directory as the vendor publishes it.
mkdir -p "$work/server/ORVANWIN/FILES"
head -c 300000 /dev/urandom >"$work/server/ORVANWIN/FILES/orvan-menu-1.1.0.8.zip"
# Signed with a key of this run, as the vendor signs it; the document names the file's length
# and SHA-256 as menu-doctor announce gives them.
minisign -G -W -f -p "$work/vendor.pub" -s "$work/vendor.key" >/dev/null
minisign -G -W -f -p "$work/other.pub" -s "$work/other.key" >/dev/null
key=$(sed -n 2p "$work/vendor.pub")
other_key=$(sed -n 2p "$work/other.pub")
document=$work/server/ORVANWIN/orvan_akt.ini
{
  printf '[ORVAN]\r\nAktCis=1.1.0.8\r\nAktDat=10.01.2027\r\nAktFil=orvan-menu-1.1.0.8.zip\r\n'
  "$linux_doctor" announce "$work/server/ORVANWIN/FILES/orvan-menu-1.1.0.8.zip" |
    sed -n '/^AktLen=\|^AktSha256=/s/$/\r/p'
} >"$document"
minisign -S -s "$work/vendor.key" -m "$document" >/dev/null
python3 "$menu_win_repo/demo/server/server.py" "$work/server" "$work/port" 0 >"$work/server.log" 2>&1 &
server_pid=$!
# The server names its port once it listens.
while [ ! -s "$work/port" ]; do
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.log" >&2; die "the demo server ended"; }
  sleep 0.1
done
read -r port <"$work/port"
compare "download (announcement)" download "127.0.0.1:$port/ORVANWIN/orvan_akt.ini" @D@/orvan_akt.ini
same_files "download (announcement's bytes)" orvan_akt.ini
compare "download (package)" download "http://127.0.0.1:$port/ORVANWIN/FILES/orvan-menu-1.1.0.8.zip" @D@/pkg.zip
same_files "download (package's bytes)" pkg.zip
compare "download (missing)" download "127.0.0.1:$port/ORVANWIN/chyba.ini" @D@/chyba.ini
compare "check (the vendor's key)" check "127.0.0.1:$port" --public-key "$key"
compare "check (another key)" check "127.0.0.1:$port" --public-key "$other_key"
compare "check (keys built in)" check "http://127.0.0.1:$port"
compare "fetch ORVAN" fetch "127.0.0.1:$port" ORVAN @D@/fetched.zip --public-key "$key"
same_files "fetch ORVAN (file's bytes)" fetched.zip
compare "fetch TEA (not announced)" fetch "127.0.0.1:$port" TEA @D@/tea.exe --public-key "$key"
# Someone on the way announces a version of their own.
sed -i 's/^AktCis=1.1.0.8/AktCis=9.9.9.99/' "$document"
compare "check (tampered)" check "127.0.0.1:$port" --public-key "$key"
compare "fetch ORVAN (tampered)" fetch "127.0.0.1:$port" ORVAN @D@/tampered.zip --public-key "$key"
kill "$server_pid"
wait "$server_pid" 2>/dev/null || true
server_pid=''
compare "download (nobody listens)" download "127.0.0.1:$port/ORVANWIN/orvan_akt.ini" @D@/nikto.ini
compare "regional" regional
compare "edit-value integer" edit-value integer "" "12345"
compare "edit-value integer (letters)" edit-value integer "" "12a"
compare "edit-value float" edit-value float "" "3,14"
compare "edit-value currency" edit-value currency "" "1234,5"
compare "edit-value date (day.month)" edit-value date "" "1.2"
compare "edit-value date (no such day)" edit-value date "" "31.2.2026"
compare "edit-value string" edit-value string "" "Účtovníctvo"

if [ "$failures" -ne 0 ]; then
  echo "menu-doctor.exe answered differently in $failures case(s)" >&2
  exit 1
fi
echo "menu-doctor.exe answered as the Linux menu-doctor in every case"
