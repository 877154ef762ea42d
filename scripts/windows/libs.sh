# shellcheck shell=bash disable=SC2154
# Recipes for the Windows libraries that link statically into the programs (sourced by
# scripts/windows.sh). Each build_<name> gets SOURCE PREFIX BUILDDIR and runs in a subshell
# with its output in a log; its own text is part of the cache key, so that a changed option
# builds the library again.
# Consumers define CURL_STATICLIB, ZIP_STATIC and SODIUM_STATIC (the CMake and pkg-config
# files written here carry them).

# CMake arguments shared by the libraries built with CMake.
lib_cmake() {
  local src=$1 prefix=$2 build=$3
  shift 3
  cmake -G Ninja -S "$src" -B "$build" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$menu_win_repo/cmake/toolchains/mingw-w64.cmake" -DMENU_WINDOWS_BARE=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$build" -j "$menu_win_jobs"
  cmake --install "$build"
}

# Appends flags to a line (Cflags, Libs) of a pkg-config file. Static Windows libraries need
# their "no dllimport" define in every consumer.
pc_append() {
  local pc=$1 field=$2 flags=$3
  [ -f "$pc" ] || die "$pc was not installed"
  grep -q "^$field: " "$pc" || die "$pc has no $field line"
  sed -i "s|^$field: \(.*\)$|$field: \1 $flags|" "$pc"
}

# HTTP and HTTPS only; TLS through Windows' own Schannel, so no OpenSSL to ship or update.
# SSPI stated (it follows Schannel by default): a proxy's request for credentials is answered
# with the user's logon through Negotiate or NTLM.
build_curl() {
  lib_cmake "$1" "$2" "$3" -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DENABLE_UNIX_SOCKETS=OFF \
    -DCURL_ENABLE_SSL=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DCURL_USE_GSSAPI=OFF -DUSE_LIBIDN2=OFF \
    -DUSE_WIN32_IDN=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_ZLIB=OFF \
    -DCURL_WINDOWS_SSPI=ON
  pc_append "$2/lib/pkgconfig/libcurl.pc" Cflags -DCURL_STATICLIB
}

# Deflate through Debian's MinGW zlib (static); no bzip2, xz, or encryption.
# CMake's pkg-config targets put their libraries after the consumer's own, so a separate
# ZLIB::ZLIB comes too early on the link line: libzip.pc names zlib itself, and a copy of the
# static libz.a beside libzip.a makes -lz find that one rather than the import library of zlib1.dll.
build_libzip() {
  lib_cmake "$1" "$2" "$3" -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF \
    -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF
  cp /usr/x86_64-w64-mingw32/lib/libz.a "$2/lib/"
  pc_append "$2/lib/pkgconfig/libzip.pc" Cflags -DZIP_STATIC
  pc_append "$2/lib/pkgconfig/libzip.pc" Libs -lz
}

# Debian's source has no configure script (the package runs autoreconf too). No stack
# protector: it would need libssp-0.dll beside the program.
build_libsodium() {
  (cd "$1" && autoreconf -fi)
  mkdir -p "$3"
  (
    cd "$3" || exit
    "$1/configure" --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix --prefix="$2" \
      --disable-shared --enable-static --disable-ssp --disable-dependency-tracking
    make -j "$menu_win_jobs"
    make install
  )
  pc_append "$2/lib/pkgconfig/libsodium.pc" Cflags -DSODIUM_STATIC
}

# GoogleTest and GoogleMock as Debian ships their source in /usr/src/googletest.
build_googletest() {
  lib_cmake "$1" "$2" "$3" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}
