#!/usr/bin/env bash
# Copies Windows programs into DESTDIR together with every DLL they load from Qt and the MinGW
# runtime, and the Qt plugins a Widgets program loads at run time (the windows platform, the
# native style, .ico pictures; the Schannel TLS backend when Qt6Network is used). Qt stays a set
# of DLLs beside the program, as its licence asks.
#
#     scripts/windows/deploy.sh [--symbols DIR] DESTDIR PROGRAM.exe...
#
# Every copy is stripped (menu_win_strip in common.sh): the debug information stays in the
# build's own files, and with --symbols each copy's goes into DIR as well, linked to the copy.
#
# Fails when a program imports a DLL found neither there nor among Windows' own (as Wine ships them).
set -euo pipefail
# shellcheck source=scripts/windows/common.sh
source "$(dirname "$0")/common.sh"

symbols=''
if [ "${1:-}" = --symbols ]; then
  [ $# -ge 2 ] || die "--symbols needs a directory"
  symbols=$(realpath -m "$2")
  shift 2
fi
[ $# -ge 2 ] || die "usage: deploy.sh [--symbols DIR] DESTDIR PROGRAM.exe..."
dest=$1
shift
paths=$menu_win_cache/toolchain-paths.sh
[ -f "$paths" ] || die "$paths is missing: run scripts/windows.sh first"
# shellcheck source=/dev/null
source "$paths"
system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
[ -d "$system_dlls" ] || die "$system_dlls is missing (package wine64): cannot tell Windows' own DLLs"
search=("$MENU_WINDOWS_QT_DIR/bin" "$MENU_WINDOWS_RUNTIME_DIR" /usr/x86_64-w64-mingw32/lib)

mkdir -p "$dest"
queue=()
copies=()
declare -A seen=()

# Copies FILE to DESTDIR/SUBDIR and queues it for its own imports.
take() {
  local file=$1 sub=$2
  mkdir -p "$dest/$sub"
  cp "$file" "$dest/$sub/"
  queue+=("$dest/$sub/$(basename "$file")")
  copies+=("$dest/$sub/$(basename "$file")")
}

for program in "$@"; do
  [ -f "$program" ] || die "$program: no such program"
  take "$program" .
done
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll; do
  take "$MENU_WINDOWS_QT_DIR/plugins/$plugin" "$(dirname "$plugin")"
done

while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    lower=${dll,,}
    [ -z "${seen[$lower]:-}" ] || continue
    seen[$lower]=1
    # API sets are names that Windows resolves to its own DLLs; there is no such file.
    case $lower in api-ms-win-* | ext-ms-win-*) continue ;; esac
    found=$(find "${search[@]}" -maxdepth 1 -iname "$dll" -print -quit)
    if [ -n "$found" ]; then
      take "$found" .
      if [ "$lower" = qt6network.dll ]; then
        take "$MENU_WINDOWS_QT_DIR/plugins/tls/qschannelbackend.dll" tls
      fi
    elif [ -z "$(find "$system_dlls" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      die "$(basename "$file") needs $dll, found neither in Qt, the MinGW runtime nor Windows"
    fi
  done
done

for copy in "${copies[@]}"; do
  menu_win_strip "$copy" "$dest" "$symbols"
done
