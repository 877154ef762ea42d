#!/usr/bin/env bash
# Sets up the Windows cross-build on a Debian machine and proves it under Wine:
#
#     scripts/windows.sh
#
# 1. installs the Debian packages it needs (only the missing ones) and a deb-src entry for the
#    archive the machine already uses;
# 2. Qt 6 for 64-bit Windows (DLLs): the prebuilt ../shared/toolchains/qt6-mingw64-<version>.tar.xz
#    when its KEY matches scripts/windows/build-qt.sh --print-key, else built by that recipe;
# 3. libcurl (Schannel), libzip, libsodium and GoogleTest, static, from Debian's source packages
#    (scripts/windows/libs.sh);
# 4. writes $MENU_WINDOWS_CACHE/toolchain-paths.{cmake,sh}, read by
#    cmake/toolchains/mingw-w64.cmake (the `windows` preset) and scripts/windows/wine-run.sh;
# 5. builds scripts/windows/probe, deploys it with its DLLs and runs it under Wine in Xvfb with
#    twm: a gtest on the libraries, then a window with a Slovak label saved as
#    build/windows-probe/probe.png;
# 6. builds menu.exe, menu-doctor.exe and the formats, platform and core suites with the
#    `windows` preset, deploys the programs with their DLLs into build/windows/deploy and runs
#    the suites under Wine (ctest, one Xvfb with twm for all);
# 7. compares menu-doctor.exe with the Linux menu-doctor (build/default, brought up to
#    date here) on the same inputs: scripts/windows/compare-doctor.sh, and runs it behind
#    tinyproxy as the user's Internet settings name it: scripts/windows/proxy-checks.sh;
# 8. runs menu.exe itself from D:\ORVAN\MENU\ under Wine, builds the Windows update package
#    (setup.exe, the next menu.exe and its DLLs, signed and announced) and updates the launcher
#    with it: scripts/windows/launcher.sh.
#
# Everything built lives in ${MENU_WINDOWS_CACHE:-~/.cache/orvan-menu-windows}, one directory per
# key (source version, compiler, recipe), so the second run only builds and runs the probe.
# MENU_JOBS (default 2) limits parallel compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/windows/common.sh
source scripts/windows/common.sh
# shellcheck source=scripts/windows/libs.sh
source scripts/windows/libs.sh

menu_win_jobs=${MENU_JOBS:-2}
shared=${MENU_WINDOWS_SHARED:-$menu_win_repo/../shared/toolchains}
export DEBIAN_FRONTEND=noninteractive
sudo=''
[ "$(id -u)" -eq 0 ] || sudo='sudo DEBIAN_FRONTEND=noninteractive'

packages=(
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  cmake ninja-build pkg-config make autoconf automake libtool dpkg-dev xz-utils
  qt6-base-dev qt6-base-dev-tools googletest
  xvfb xauth twm minisign
  osslsigncode openssl # Authenticode signatures of the package's programs
  zip locales python3 imagemagick # the test fixtures and compare-doctor.sh
  tinyproxy # the proxy of proxy-checks.sh
)
# Wine with what it recommends: fonts, the X11 extensions its display driver loads, GnuTLS
# behind its Schannel.
wine_packages=(wine64 wine fonts-wine)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

install_packages() {
  local missing wine_missing
  missing=$(missing_packages "${packages[@]}")
  wine_missing=$(missing_packages "${wine_packages[@]}")
  [ -z "$missing$wine_missing" ] && return 0
  say "installing" "$(echo "$missing" "$wine_missing" | tr '\n' ' ')"
  $sudo apt-get update -qq
  if [ -n "$missing" ]; then
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
  if [ -n "$wine_missing" ]; then
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq $wine_missing >/dev/null
  fi
}

# Source packages come from the archive the machine already uses.
ensure_deb_src() {
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    [ -f /etc/apt/sources.list.d/debian.sources ] ||
      die "no deb-src entry and no /etc/apt/sources.list.d/debian.sources to derive one from"
    say "adding deb-src entries for the archive in debian.sources"
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    $sudo apt-get update -qq
  elif ! apt-cache showsrc --only-source curl 2>/dev/null | grep -q '^Version:'; then
    $sudo apt-get update -qq
  fi
}

# The newest version of a source package that the archive offers (what `apt-get source` takes).
source_version() {
  local best='' v
  for v in $(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  [ -n "$best" ] || die "the archive offers no source package $1"
  echo "$best"
}

# Runs a command (a shell function too, with errexit in force) with its output in LOG; on
# failure shows the log's end and stops.
run_logged() {
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  "$@" >"$log" 2>&1 &
  wait $! || { tail -n 40 "$log" >&2; die "$1 failed; the whole log is $log"; }
}

qt_dir=''
ensure_qt() {
  local key entry archive version
  key=$(scripts/windows/build-qt.sh --print-key)
  entry=$menu_win_cache/qt/$(key_hash <<<"$key")
  qt_dir=$entry/qt6-mingw64
  if [ -f "$qt_dir/KEY" ] && [ "$(cat "$qt_dir/KEY")" = "$key" ]; then
    return 0
  fi
  rm -rf "$entry" && mkdir -p "$entry"
  version=$(sed -n 's/^qt6-base //p' <<<"$key")
  archive=$shared/qt6-mingw64-$version.tar.xz
  if [ -f "$archive" ]; then
    if [ "$(tar -xJOf "$archive" qt6-mingw64/KEY)" = "$key" ]; then
      say "unpacking Qt from $archive"
      mkdir "$entry/unpack"
      tar -xJf "$archive" -C "$entry/unpack"
      mv "$entry/unpack/qt6-mingw64" "$qt_dir"
      rmdir "$entry/unpack"
      return 0
    fi
    say "$archive was built differently; building Qt here. Its KEY:"
    tar -xJOf "$archive" qt6-mingw64/KEY >&2
    say "expected:"
    echo "$key" >&2
  else
    say "no prebuilt Qt at $archive; building Qt here (about an hour on two cores)"
  fi
  # The recipe writes KEY last, so an interrupted build is never taken for a finished one.
  MENU_JOBS=$menu_win_jobs run_logged "$menu_win_cache/logs/qt.log" \
    scripts/windows/build-qt.sh "$qt_dir" "$menu_win_cache/work/qt"
  [ "$(cat "$qt_dir/KEY")" = "$key" ] || die "the Qt recipe wrote a KEY other than expected"
}

compiler_key() {
  echo "gcc-mingw-w64-x86-64-posix $(installed_version gcc-mingw-w64-x86-64-posix)"
  echo "g++-mingw-w64-x86-64-posix $(installed_version g++-mingw-w64-x86-64-posix)"
  echo "mingw-w64-x86-64-dev $(installed_version mingw-w64-x86-64-dev)"
  echo "libz-mingw-w64-dev $(installed_version libz-mingw-w64-dev)"
  # The toolchain file without its comments: a reworded comment rebuilds nothing.
  echo "toolchain $(grep -v '^ *#' cmake/toolchains/mingw-w64.cmake | sha256sum | cut -d' ' -f1)"
}

# ensure_lib NAME SOURCE-PACKAGE: the library's prefix in the cache, built when missing.
# googletest is taken from /usr/src/googletest (Debian package googletest) instead.
lib_dirs=()
ensure_lib() {
  local name=$1 package=$2 version key dir work src
  if [ "$package" = googletest ]; then
    version=$(installed_version googletest)
  else
    version=$(source_version "$package")
  fi
  key="$(printf '%s %s\n' "$package" "$version"; compiler_key; declare -f lib_cmake pc_append "build_$name")"
  dir=$menu_win_cache/libs/$name-$version-$(key_hash <<<"$key")
  lib_dirs+=("$dir")
  if [ -f "$dir/KEY" ] && [ "$(cat "$dir/KEY")" = "$key" ]; then
    return 0
  fi
  say "building $name $version for Windows"
  work=$menu_win_cache/work/$name
  rm -rf "$work" "$dir" && mkdir -p "$work"
  if [ "$package" = googletest ]; then
    src=/usr/src/googletest
  else
    (cd "$work" && apt-get source -qq "$package=$version" >"$work/source.log" 2>&1) ||
      { cat "$work/source.log" >&2; die "apt-get source $package=$version failed"; }
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)
    [ -n "$src" ] || die "apt-get source $package left no source directory"
  fi
  # pkg-config files name the prefix: build in place; KEY, written last, marks it complete.
  run_logged "$menu_win_cache/logs/$name.log" "build_$name" "$src" "$dir" "$work/build"
  echo "$key" >"$dir/KEY"
  rm -rf "$work"
}

write_toolchain_paths() {
  local runtime
  runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
  [ -f "$runtime/libstdc++-6.dll" ] || die "the MinGW C++ runtime DLL is missing"
  {
    echo "# Written by scripts/windows.sh: the Windows trees for the sources on this machine."
    echo "set(MENU_WINDOWS_QT_DIR \"$qt_dir\")"
    echo "set(MENU_WINDOWS_LIB_DIRS \"$(IFS=';'; echo "${lib_dirs[*]}")\")"
    echo "set(MENU_WINDOWS_RUNTIME_DIR \"$runtime\")"
  } >"$menu_win_cache/toolchain-paths.cmake"
  {
    echo "# Written by scripts/windows.sh: the Windows trees for the sources on this machine."
    echo "MENU_WINDOWS_QT_DIR='$qt_dir'"
    echo "MENU_WINDOWS_RUNTIME_DIR='$runtime'"
  } >"$menu_win_cache/toolchain-paths.sh"
}

# On the way out after a failure: end Wine's processes, then the display.
abandon_display() {
  "$menu_win_wineserver" -k 2>/dev/null || true
  menu_win_display_stop || true
}

run_probe() {
  local build=build/windows-probe status=0 probe_text="Účtovníctvo – ťažké ľúbostné úľové čísla"
  fresh_build_dir "$build"
  rm -rf "$build/deploy" "$build/probe.png"
  run_logged "$build/configure.log" cmake -G Ninja -S scripts/windows/probe -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$menu_win_repo/cmake/toolchains/mingw-w64.cmake" \
    -DMENU_WINDOWS_CACHE="$menu_win_cache" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  run_logged "$build/build.log" cmake --build "$build" -j "$menu_win_jobs"
  scripts/windows/deploy.sh "$build/deploy" "$build/probe.exe"

  say "running the probe under Wine"
  menu_win_wine_env
  menu_win_display_start
  trap abandon_display EXIT
  export MENU_WINE_DISPLAY=$DISPLAY
  menu_win_wine_prefix
  QT_QPA_PLATFORM=windows QT_MENU_PROBE=$probe_text \
    scripts/windows/wine-run.sh "$build/deploy/probe.exe" "$build/probe.png" ||
    die "the probe failed under Wine (exit status $?)"
  [ -s "$build/probe.png" ] || die "the probe left no picture"
  # The runner must hand back a failing status too, or ctest would pass every test: the probe
  # without its argument ends with 2.
  QT_MENU_PROBE=$probe_text scripts/windows/wine-run.sh "$build/deploy/probe.exe" >"$build/usage.log" 2>&1 ||
    status=$?
  [ "$status" -eq 2 ] || { cat "$build/usage.log" >&2; die "wine-run.sh gave $status for a program that ended with 2"; }
  "$menu_win_wineserver" -w
  trap - EXIT
  menu_win_display_stop
  say "probe passed; its window: $build/probe.png"
}

build_windows() {
  fresh_build_dir build/windows
  say "building menu.exe, menu-doctor.exe and the suites for Windows"
  run_logged build/windows/configure.log cmake --preset windows -DMENU_WINDOWS_CACHE="$menu_win_cache"
  run_logged build/windows/build.log cmake --build --preset windows -j "$menu_win_jobs"
  rm -rf build/windows/deploy
  scripts/windows/deploy.sh build/windows/deploy build/windows/menu.exe build/windows/menu-doctor.exe
}

run_suites() {
  say "running the Windows suites under Wine"
  MENU_WINDOWS_CACHE=$menu_win_cache scripts/windows/wine-run.sh --with-display \
    ctest --preset windows -j "$menu_win_jobs" --timeout 900 >build/windows/ctest.log 2>&1 ||
    { tail -n 60 build/windows/ctest.log >&2; die "Windows suites failed; the whole log is build/windows/ctest.log"; }
  tail -n 3 build/windows/ctest.log >&2
}

compare_doctor() {
  # Always brought up to date: an older build directory would compare another program.
  say "building the Linux menu-doctor and demo package to compare with"
  run_logged build/default-configure.log cmake --preset default
  run_logged build/default-build.log cmake --build --preset default -j "$menu_win_jobs" \
    --target menu-doctor demo_package
  say "comparing menu-doctor.exe with the Linux menu-doctor"
  MENU_WINDOWS_CACHE=$menu_win_cache scripts/windows/wine-run.sh --with-display \
    scripts/windows/compare-doctor.sh build/default/menu-doctor \
    build/windows/deploy/menu-doctor.exe build/default/demo-package >build/windows/compare-doctor.log 2>&1 ||
    { cat build/windows/compare-doctor.log >&2; die "menu-doctor.exe differs from the Linux one"; }
  tail -n 1 build/windows/compare-doctor.log >&2
}

# menu-doctor.exe behind tinyproxy, as the user's Internet settings name it.
run_proxy_checks() {
  say "menu-doctor.exe behind a proxy under Wine"
  MENU_WINDOWS_CACHE=$menu_win_cache scripts/windows/proxy-checks.sh build/windows/deploy/menu-doctor.exe \
    >build/windows/proxy-checks.log 2>&1 ||
    { tail -n 20 build/windows/proxy-checks.log >&2; die "menu-doctor.exe failed behind a proxy; the whole log is build/windows/proxy-checks.log"; }
  tail -n 1 build/windows/proxy-checks.log >&2
}

# menu.exe itself under Wine, with the update package and setup.exe: scripts/windows/launcher.sh.
run_launcher() {
  say "menu.exe under Wine: process checks, scenes and the self-update"
  MENU_WINDOWS_CACHE=$menu_win_cache MENU_JOBS=$menu_win_jobs scripts/windows/launcher.sh \
    >build/windows-launcher.log 2>&1 ||
    { tail -n 40 build/windows-launcher.log >&2; die "menu.exe failed under Wine; the whole log is build/windows-launcher.log"; }
  grep -E '^== .*(refused|bounds|set-aside|forward|shortcut|replaced|updated itself|passed)' build/windows-launcher.log >&2 || true
}

main() {
  local start=$SECONDS
  install_packages
  ensure_deb_src
  mkdir -p "$menu_win_cache"
  ensure_qt
  ensure_lib curl curl
  ensure_lib libzip libzip
  ensure_lib libsodium libsodium
  ensure_lib googletest googletest
  write_toolchain_paths
  run_probe
  build_windows
  run_suites
  compare_doctor
  run_proxy_checks
  run_launcher
  say "done in $((SECONDS - start)) s; cache: $menu_win_cache"
}

main "$@"
