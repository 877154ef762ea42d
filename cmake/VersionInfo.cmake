# The launcher carries its own version and build date the way a Windows program does: a
# VS_VERSIONINFO block with FileVersion and FileDatum in the string table 041B04E2. The block is
# compiled by windres from menu.rc (configured here from the project's version and the build
# date, the one source of both) and linked into the executables as the ELF section
# .orvan_version, where the same version reader that reads Windows programs finds it. A
# Windows build links the same block as what it is there: the program's version resource.

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
set(_menu_test_launcher "")
if(TARGET menu-unsigned-for-tests)
  set(_menu_test_launcher menu-unsigned-for-tests)
endif()
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
if(WIN32)
  set(_menu_resource_object ${CMAKE_BINARY_DIR}/version/menu-version.res.obj)
  add_custom_command(
    OUTPUT ${_menu_resource_object}
    COMMAND ${MENU_WINDRES} -i ${_menu_res} -O coff -o ${_menu_resource_object}
    DEPENDS ${_menu_res}
    COMMENT "Making the launcher's version resource"
    VERBATIM)
  add_custom_target(menu_version_block DEPENDS ${_menu_resource_object})
  foreach(_target menu menu-doctor ${_menu_test_launcher})
    target_sources(${_target} PRIVATE ${_menu_resource_object})
    add_dependencies(${_target} menu_version_block)
  endforeach()
  return()
endif()

add_custom_command(
  OUTPUT ${_menu_block}
  COMMAND ${CMAKE_COMMAND} -DRES=${_menu_res} -DOUT=${_menu_block} -DSECTION=.orvan_version
          -P ${CMAKE_CURRENT_LIST_DIR}/VersionInfo/embed-version-block.cmake
  DEPENDS ${_menu_res} ${CMAKE_CURRENT_LIST_DIR}/VersionInfo/embed-version-block.cmake
  COMMENT "Embedding the launcher's version information"
  VERBATIM)

# The executables live in src/, and a rule made here is seen only by targets made here: a
# target of this directory runs it before they build.
add_custom_target(menu_version_block DEPENDS ${_menu_block})
foreach(_target menu menu-doctor ${_menu_test_launcher})
  target_sources(${_target} PRIVATE ${_menu_block})
  add_dependencies(${_target} menu_version_block)
endforeach()
