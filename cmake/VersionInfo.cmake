# The launcher carries its own version and build date the way a Windows program does: a
# VS_VERSIONINFO block with FileVersion and FileDatum in the string table 041B04E2. The block is
# compiled by windres from menu.rc (configured here from the project's version and the build
# date, the one source of both) and linked into the executables as the ELF section
# .orvan_version, where the same version reader that reads Windows programs finds it.

find_program(MENU_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres windres)
if(NOT MENU_WINDRES)
  message(WARNING "windres not found: menu is built without its version information")
  return()
endif()

# "1.1.0.7" becomes 1,1,0,7 for the numeric fields, padded to four numbers.
set(_menu_version_numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR}
    ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
list(TRANSFORM _menu_version_numbers REPLACE "^$" "0")
list(LENGTH _menu_version_numbers _count)
while(_count LESS 4)
  list(APPEND _menu_version_numbers 0)
  list(LENGTH _menu_version_numbers _count)
endwhile()
list(JOIN _menu_version_numbers "," MENU_VERSION_COMMAS)

set(_menu_rc ${CMAKE_BINARY_DIR}/version/menu.rc)
set(_menu_res ${CMAKE_BINARY_DIR}/version/menu.res)
set(_menu_block ${CMAKE_BINARY_DIR}/version/menu-version-block.cpp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/VersionInfo/menu.rc.in ${_menu_rc} @ONLY)

# The C compiler stands in for the resource preprocessor; the file is UTF-8 (code page 65001).
add_custom_command(
  OUTPUT ${_menu_res}
  COMMAND ${MENU_WINDRES} --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E
          --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED -c 65001
          -O res ${_menu_rc} ${_menu_res}
  DEPENDS ${_menu_rc}
  COMMENT "Compiling the launcher's version information"
  VERBATIM)
add_custom_command(
  OUTPUT ${_menu_block}
  COMMAND ${CMAKE_COMMAND} -DRES=${_menu_res} -DOUT=${_menu_block} -DSECTION=.orvan_version
          -P ${CMAKE_CURRENT_LIST_DIR}/VersionInfo/embed-version-block.cmake
  DEPENDS ${_menu_res} ${CMAKE_CURRENT_LIST_DIR}/VersionInfo/embed-version-block.cmake
  COMMENT "Embedding the launcher's version information"
  VERBATIM)

# The executables are defined in src/; a custom command's output gets its rule only in the
# directory that defines it, so a target here makes the block before they link it.
add_custom_target(menu_version_block DEPENDS ${_menu_block})
target_sources(menu PRIVATE ${_menu_block})
target_sources(menu-doctor PRIVATE ${_menu_block})
add_dependencies(menu menu_version_block)
add_dependencies(menu-doctor menu_version_block)
