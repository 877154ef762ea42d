#!/usr/bin/env bash
# Builds Qt 6 base for 64-bit Windows (DLLs) with Debian's MinGW-w64 compilers from Debian's own
# qt6-base source package: the version of the installed host tools (qt6-base-dev-tools), since
# moc, rcc and uic must match the libraries. The same recipe as the prebuilt archive in
# ../shared/toolchains, so both carry the same KEY; scripts/windows.sh uses the archive when its
# KEY matches and this script otherwise (about an hour on two cores).
#
#     build-qt.sh --print-key          the KEY a tree for this machine must carry
#     build-qt.sh PREFIX WORKDIR       builds into PREFIX (relocatable), writes PREFIX/KEY
#
# Expects what scripts/windows.sh installs (g++-mingw-w64-x86-64, qt6-base-dev, qt6-base-dev-tools,
# cmake, ninja-build, dpkg-dev) and a deb-src entry.
set -euo pipefail

options="shared, Release, no sql/dbus/opengl/printsupport/concurrent/openssl/vulkan/xml/tabletevent, bundled zlib/pcre2/png/harfbuzz/freetype"

version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools 2>/dev/null) ||
  { echo "build-qt: qt6-base-dev-tools is not installed" >&2; exit 1; }

print_key() {
  echo "qt6-base $version"
  echo "x86_64-w64-mingw32-g++-posix $(x86_64-w64-mingw32-g++-posix -dumpversion)"
  echo "options $options"
}

if [ "${1:-}" = "--print-key" ]; then
  print_key
  exit 0
fi
[ $# -eq 2 ] || { echo "usage: build-qt.sh --print-key | build-qt.sh PREFIX WORKDIR" >&2; exit 2; }
prefix=$(realpath -m "$1")
work=$(realpath -m "$2")
jobs=${MENU_JOBS:-2}

rm -rf "$work" && mkdir -p "$work"
cd "$work"
apt-get source --download-only "qt6-base=$version" >/dev/null
mkdir src && tar -xJf qt6-base_*.orig.tar.xz -C src --strip-components=1
# Qt 6.4's Windows platform plugin asks for the dynamic-GL loader even when OpenGL is switched off.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  src/src/plugins/platforms/windows/qwindowswindow.cpp
grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' src/src/plugins/platforms/windows/qwindowswindow.cpp ||
  { echo "build-qt: the dynamic-GL fix no longer applies to qt6-base $version" >&2; exit 1; }

# Qt's own toolchain file: only the MinGW root, nothing of the project's cache.
cat > mingw.cmake <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC

mkdir build && cd build
cmake -G Ninja ../src -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON -DFEATURE_network=ON \
  -DFEATURE_openssl=OFF -DFEATURE_system_zlib=OFF -DFEATURE_vulkan=OFF -DFEATURE_xml=OFF \
  -DFEATURE_tabletevent=OFF   # Debian's source package leaves out the Wintab header that tablet input needs
ninja -j"$jobs"
rm -rf "$prefix" && ninja install >/dev/null
find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
print_key > "$prefix/KEY"
cd / && rm -rf "$work"
