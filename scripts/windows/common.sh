# shellcheck shell=bash disable=SC2034
# Shared by scripts/windows.sh and scripts/windows/wine-run.sh (sourced, not run): where the
# cache lives, how Wine is set up, and a virtual display with a window manager.

menu_win_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
menu_win_cache=${MENU_WINDOWS_CACHE:-$HOME/.cache/orvan-menu-windows}

die() {
  echo "windows: $*" >&2
  exit 1
}

say() {
  echo "== [${SECONDS}s] $*" >&2
}

# The first 16 hex digits of the SHA-256 of stdin: names a cache entry after its key.
key_hash() {
  sha256sum | cut -c1-16
}

# Version of an installed Debian package, or failure.
installed_version() {
  dpkg-query -W -f='${Version}' "$1" 2>/dev/null || die "package $1 is not installed"
}

# A Windows path (drive Z: is the whole Unix file system in every Wine prefix).
winpath() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

# Wine: its own prefix inside the cache, one per Wine version and way of setting it up; no
# Mono or Gecko installer dialogs (mscoree, mshtml switched off); quiet unless MENU_WINE_DEBUG
# asks otherwise.
menu_win_wine_env() {
  local wine_version setup
  wine_version=$(installed_version wine64)
  setup=$(declare -f menu_win_wine_prefix | key_hash)
  export WINEPREFIX="$menu_win_cache/wine/$wine_version-$setup"
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=${MENU_WINE_DEBUG:--all}
  menu_win_wine=/usr/lib/wine/wine64
  menu_win_wineserver=/usr/lib/wine/wineserver64
}

# Creates the Wine prefix once; concurrent callers (ctest -j) wait for the first.
menu_win_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.menu-ready" ]; then
      say "creating the Wine prefix $WINEPREFIX"
      rm -rf "$WINEPREFIX"
      "$menu_win_wine" wineboot --init >"$WINEPREFIX.log" 2>&1 ||
        { cat "$WINEPREFIX.log" >&2; die "wineboot failed"; }
      # Debian's Wine 8 looks for its own fonts (Tahoma for "MS Shell Dlg 2", the Windows
      # dialog font) only in C:\windows\Fonts, which wineboot leaves empty. Without them Qt
      # falls back to the first host font, a math font that drops the accents of capitals.
      [ -f /usr/share/wine/fonts/tahoma.ttf ] || die "Wine's fonts are missing (package fonts-wine)"
      cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
      # A crashing program gets its backtrace on stderr and ends, instead of a dialog that
      # nobody closes.
      "$menu_win_wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >>"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; die "cannot switch off the crash dialog"; }
      "$menu_win_wineserver" -w
      touch "$WINEPREFIX/.menu-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Starts Xvfb on a free display and twm on it, exports DISPLAY. twm places every new window
# itself (RandomPlacement); without it twm waits for a click that never comes. Xvfb may have only
# the built-in "fixed" font, and twm ends when its fonts are missing; a TWMRC given as the
# argument (the demo's, with fonts of xfonts-base) replaces that plain one.
menu_win_display_start() {
  local run n twmrc=${1:-}
  run=$(mktemp -d "${TMPDIR:-/tmp}/menu-display.XXXXXX")
  mkfifo "$run/display"
  # Xvfb writes the display number it took once it accepts clients.
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$run/display" >"$run/xvfb.log" 2>&1 &
  menu_win_xvfb_pid=$!
  read -r n <"$run/display" || true
  [ -n "$n" ] || { cat "$run/xvfb.log" >&2; die "Xvfb did not start"; }
  export DISPLAY=":$n"
  if [ -z "$twmrc" ]; then
    twmrc=$run/twmrc
    printf '%s\n' RandomPlacement NoGrabServer 'TitleFont "fixed"' 'ResizeFont "fixed"' \
      'MenuFont "fixed"' 'IconFont "fixed"' 'IconManagerFont "fixed"' >"$twmrc"
  fi
  LC_ALL=C.UTF-8 twm -f "$twmrc" >"$run/twm.log" 2>&1 &
  menu_win_twm_pid=$!
  menu_win_display_run=$run
}

# Stops twm and Xvfb; fails when twm did not last until now (windows were then unmanaged).
menu_win_display_stop() {
  local pid status=0
  if [ -n "${menu_win_twm_pid:-}" ] && ! kill -0 "$menu_win_twm_pid" 2>/dev/null; then
    echo "windows: twm ended early:" >&2
    cat "$menu_win_display_run/twm.log" >&2
    status=1
  fi
  for pid in "${menu_win_twm_pid:-}" "${menu_win_xvfb_pid:-}"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "${menu_win_display_run:-}" ]; then
    rm -rf "$menu_win_display_run"
  fi
  menu_win_twm_pid='' menu_win_xvfb_pid='' menu_win_display_run=''
  return "$status"
}

# A build directory configured against other cache trees keeps their paths (pkg-config results
# above all): start it afresh when toolchain-paths.cmake changed.
fresh_build_dir() {
  local build=$1
  if ! cmp -s "$menu_win_cache/toolchain-paths.cmake" "$build/toolchain-paths.cmake"; then
    rm -rf "$build"
    mkdir -p "$build"
    cp "$menu_win_cache/toolchain-paths.cmake" "$build/toolchain-paths.cmake"
  fi
}

# Compiles glibc's Slovak locale into DIR and exports LOCPATH, so that LC_ALL=sk_SK.UTF-8 gives
# Wine (and Linux programs) Slovak regional settings and code page 1250.
menu_win_slovak_locale() {
  local dir=$1
  mkdir -p "$dir"
  localedef -i sk_SK -f UTF-8 "$dir/sk_SK.UTF-8" >/dev/null 2>&1 ||
    [ -d "$dir/sk_SK.UTF-8" ] || die "localedef could not make sk_SK.UTF-8 (package locales)"
  export LOCPATH=$dir
}

# Strips a Windows program or DLL in place: its debug information and symbol table are most
# of its size, and every seat copies the package over the network. Debug information it has is
# kept first as SYMBOLS/NAME.debug (NAME: the file's path below BASE), and the stripped file
# names it by .gnu_debuglink, so that the vendor's gdb finds it (in its debug-file-directory,
# or beside the program). A file without debug information is only stripped; running this
# again changes nothing.
#
#     menu_win_strip FILE [BASE SYMBOLS]
menu_win_strip() {
  local file=$1 base=${2:-} symbols=${3:-} debug='' flag=--strip-unneeded
  # A DLL keeps the symbols its relocations need; a program needs none.
  [[ ${file,,} == *.exe ]] && flag=--strip-all
  if [ -n "$symbols" ] && x86_64-w64-mingw32-objdump -h "$file" | grep -q ' \.debug_info '; then
    debug=$symbols/${file#"$base"/}.debug
    mkdir -p "$(dirname "$debug")"
    x86_64-w64-mingw32-objcopy --only-keep-debug "$file" "$debug" ||
      die "cannot keep the debug information of $file"
  fi
  x86_64-w64-mingw32-strip "$flag" "$file" || die "cannot strip $file"
  if [ -n "$debug" ]; then
    # The link holds the name and a checksum; objcopy looks for the file where it is given.
    x86_64-w64-mingw32-objcopy --add-gnu-debuglink="$debug" "$file" ||
      die "cannot link $file to $debug"
  fi
}
