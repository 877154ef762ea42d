# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers (POSIX threads, so that
# std::thread and Qt share libwinpthread). Used by the `windows` preset and by scripts/windows.sh
# for the libraries it builds. The Windows libraries come from the cache that scripts/windows.sh
# fills: ${MENU_WINDOWS_CACHE} (cache variable or environment variable, default
# ~/.cache/orvan-menu-windows) holds `toolchain-paths.cmake`, which names the Qt tree and the
# library prefixes made for the sources on this machine.
#
# Tests and other target programs run through scripts/windows/wine-run.sh (the cross-compiling
# emulator), so ctest and gtest_discover_tests work unchanged.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# try_compile projects read this file again; hand them the same settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MENU_WINDOWS_CACHE MENU_WINDOWS_BARE)

if(NOT MENU_WINDOWS_CACHE)
  if(NOT "$ENV{MENU_WINDOWS_CACHE}" STREQUAL "")
    set(MENU_WINDOWS_CACHE "$ENV{MENU_WINDOWS_CACHE}")
  else()
    set(MENU_WINDOWS_CACHE "$ENV{HOME}/.cache/orvan-menu-windows")
  endif()
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(MENU_WINDOWS_QT_DIR "")
set(MENU_WINDOWS_LIB_DIRS "")
# MENU_WINDOWS_BARE: building one of the libraries themselves, before the paths exist.
if(NOT MENU_WINDOWS_BARE)
  set(_menu_paths "${MENU_WINDOWS_CACHE}/toolchain-paths.cmake")
  if(NOT EXISTS "${_menu_paths}")
    message(FATAL_ERROR "${_menu_paths} is missing: run scripts/windows.sh first, "
                        "or point MENU_WINDOWS_CACHE at the cache it filled")
  endif()
  include("${_menu_paths}")
  # find_package(Qt6) looks below the root paths only, so Qt's tree must be one of them.
  list(APPEND CMAKE_FIND_ROOT_PATH "${MENU_WINDOWS_QT_DIR}" ${MENU_WINDOWS_LIB_DIRS})
  list(APPEND CMAKE_PREFIX_PATH "${MENU_WINDOWS_QT_DIR}" ${MENU_WINDOWS_LIB_DIRS})
  # moc, rcc and uic are Debian's own (qt6-base-dev-tools), of the same Qt version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

  # pkg-config must see the Windows libraries only, never the build machine's.
  set(_menu_pc "")
  foreach(_dir IN LISTS MENU_WINDOWS_LIB_DIRS)
    list(APPEND _menu_pc "${_dir}/lib/pkgconfig")
  endforeach()
  list(APPEND _menu_pc /usr/x86_64-w64-mingw32/lib/pkgconfig)
  list(JOIN _menu_pc ":" _menu_pc)
  set(ENV{PKG_CONFIG_LIBDIR} "${_menu_pc}")
  unset(ENV{PKG_CONFIG_PATH})

  # The runner needs the trees above; the libraries' own builds must not run anything.
  get_filename_component(_menu_repo "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${_menu_repo}/scripts/windows/wine-run.sh")
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's MinGW zlib comes as libz.a and libz.dll.a; the static one spares shipping zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
