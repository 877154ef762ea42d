#!/usr/bin/env bash
# Runs one Windows program under Wine and returns its exit status:
#
#     scripts/windows/wine-run.sh PROGRAM.exe [ARGS...]
#     scripts/windows/wine-run.sh --with-display COMMAND [ARGS...]
#
# The first form is the CMAKE_CROSSCOMPILING_EMULATOR of cmake/toolchains/mingw-w64.cmake, so
# `ctest` and gtest_discover_tests run the Windows tests through it. It needs a filled cache
# (scripts/windows.sh) and sets:
#   WINEPREFIX        $MENU_WINDOWS_CACHE/wine/<wine64 version>-<setup>, made on first use with
#                     Wine's own fonts and without the crash dialog (a backtrace on stderr instead)
#   WINEDLLOVERRIDES  "mscoree,mshtml=": a fresh prefix would otherwise ask to install Mono and Gecko
#   WINEDEBUG         -all, or $MENU_WINE_DEBUG (e.g. "err+all,fixme-all")
#   WINEPATH          Qt's bin/ and the MinGW runtime (libstdc++-6, libgcc_s_seh-1, libwinpthread-1),
#                     unless Qt6Core.dll lies beside the program (a deployed program must run alone)
#   QT_QPA_PLATFORM   as the caller sets it, else "offscreen" like the Linux test presets
#   QT_FORCE_STDERR_LOGGING  1 unless set: Qt's messages go to stderr, not to the debugger
#   QT_*              handed on as WINEQT_*: Wine keeps the host's QT_ variables away from
#                     Windows programs and passes WINEQT_X to them as QT_X
#   LC_ALL            $MENU_WINE_LOCALE, else C.UTF-8: Wine decodes the environment, arguments
#                     and file names in the Unix locale's charset, so it must be UTF-8. The
#                     Windows side then runs in English with ANSI code page 1252; a generated
#                     sk_SK.UTF-8 gives Slovak and code page 1250.
#   MENU_WINE_TIMEOUT seconds before the program is killed (default 600): a message box that
#                     Qt or Windows opens on a fatal error waits for a click that never comes
#   DISPLAY           $MENU_WINE_DISPLAY; without it, a private Xvfb with twm for this one run.
#                     The desktop's own DISPLAY is never used: no test window on a developer's screen.
# The second form starts one Xvfb with twm, exports MENU_WINE_DISPLAY for COMMAND (e.g.
# `ctest --preset windows`), waits for Wine to finish and stops the display again.
set -euo pipefail
# shellcheck source=scripts/windows/common.sh
source "$(dirname "$0")/common.sh"

[ $# -ge 1 ] || die "usage: wine-run.sh PROGRAM.exe [ARGS...] | --with-display COMMAND [ARGS...]"
menu_win_wine_env

# Stops Wine's processes of this prefix before their display goes away.
# shellcheck disable=SC2317  # called by the EXIT trap
finish_display() {
  "$menu_win_wineserver" -w 2>/dev/null || true
  menu_win_display_stop
}

if [ "$1" = "--with-display" ]; then
  shift
  [ $# -ge 1 ] || die "--with-display needs a command"
  menu_win_display_start
  trap finish_display EXIT
  export MENU_WINE_DISPLAY=$DISPLAY
  status=0
  "$@" || status=$?
  exit "$status"
fi

program=$1
shift
[ -f "$program" ] || die "$program: no such program"
paths=$menu_win_cache/toolchain-paths.sh
[ -f "$paths" ] || die "$paths is missing: run scripts/windows.sh first"
# shellcheck source=/dev/null
source "$paths"

if [ -n "${MENU_WINE_DISPLAY:-}" ]; then
  export DISPLAY=$MENU_WINE_DISPLAY
else
  menu_win_display_start
  trap finish_display EXIT
fi
menu_win_wine_prefix

if [ ! -f "$(dirname "$program")/Qt6Core.dll" ]; then
  WINEPATH="$(winpath "$MENU_WINDOWS_QT_DIR/bin");$(winpath "$MENU_WINDOWS_RUNTIME_DIR");$(winpath /usr/x86_64-w64-mingw32/lib)"
  export WINEPATH
fi
export LC_ALL=${MENU_WINE_LOCALE:-C.UTF-8}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_FORCE_STDERR_LOGGING=${QT_FORCE_STDERR_LOGGING:-1}
for var in $(compgen -e | grep '^QT_' || true); do
  export "WINE$var=${!var}"
done

status=0
timeout --kill-after=10 "${MENU_WINE_TIMEOUT:-600}" "$menu_win_wine" "$program" "$@" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "wine-run.sh: $program did not end within ${MENU_WINE_TIMEOUT:-600} s (a message box?)" >&2
fi
exit "$status"
