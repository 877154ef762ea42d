# The demo package, made at build time: the module files and documents of demo/package, small
# Windows programs (a message box that names the program, built by MinGW-w64's gcc) with icons
# and version information (windres from binutils-mingw-w64, icons drawn by ImageMagick from
# demo/icons/*.mvg), and what the demo update server publishes.
# Output: <build>/demo-package/ORVAN (copied into a demo tree by scripts/demo.sh and by the
# end-to-end tests) and <build>/demo-server-files. Also the target menu_next: the launcher once
# more, with the next version number, which the demo server offers as the update.
find_program(MENU_DEMO_WINDRES x86_64-w64-mingw32-windres)
find_program(MENU_DEMO_CC x86_64-w64-mingw32-gcc)
find_program(MENU_DEMO_CONVERT convert)
if(NOT MENU_DEMO_WINDRES OR NOT MENU_DEMO_CC OR NOT MENU_DEMO_CONVERT)
  message(WARNING "windres, x86_64-w64-mingw32-gcc or convert not found: the demo package is not built")
  return()
endif()
set(MENU_DEMO_FONT_DIR /usr/share/fonts/truetype/dejavu)

set(_demo_src ${CMAKE_SOURCE_DIR}/demo)
set(_demo_work ${CMAKE_BINARY_DIR}/demo-work)
set(MENU_DEMO_PACKAGE_DIR ${CMAKE_BINARY_DIR}/demo-package)
set(MENU_DEMO_SERVER_FILES_DIR ${CMAKE_BINARY_DIR}/demo-server-files)
file(MAKE_DIRECTORY ${_demo_work} ${MENU_DEMO_PACKAGE_DIR}/ORVAN ${MENU_DEMO_SERVER_FILES_DIR})
set(_demo_outputs "")

# The module files and documents, copied as they are.
file(GLOB_RECURSE _demo_static CONFIGURE_DEPENDS ${_demo_src}/package/*)
set(_demo_static_stamp ${_demo_work}/static.stamp)
add_custom_command(
  OUTPUT ${_demo_static_stamp}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${_demo_src}/package ${MENU_DEMO_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${_demo_static_stamp}
  DEPENDS ${_demo_static}
  COMMENT "Copying the demo package's module files and documents"
  VERBATIM)
list(APPEND _demo_outputs ${_demo_static_stamp})

function(_demo_icon name)
  set(ico ${_demo_work}/${name}.ico)
  add_custom_command(
    OUTPUT ${ico}
    COMMAND ${CMAKE_COMMAND} -DCONVERT=${MENU_DEMO_CONVERT} -DMVG=${_demo_src}/icons/${name}.mvg
            -DSANS=${MENU_DEMO_FONT_DIR}/DejaVuSans.ttf
            -DBOLD=${MENU_DEMO_FONT_DIR}/DejaVuSans-Bold.ttf -DOUT=${ico}
            -P ${_demo_src}/icons/draw-icon.cmake
    DEPENDS ${_demo_src}/icons/${name}.mvg ${_demo_src}/icons/draw-icon.cmake
    COMMENT "Drawing the demo icon ${name}"
    VERBATIM)
endfunction()

# One Windows program. TABLE is sk (FileVersion in 041B04E2, as the package's programs carry
# it), en (only 040904B0 with ProductVersion, as the Team Viewer program carries it) or none.
function(demo_program out icon table version description)
  get_filename_component(stem ${out} NAME_WE)
  get_filename_component(dir ${out} DIRECTORY)
  string(MAKE_C_IDENTIFIER "${out}" id)
  string(REPLACE "." "," commas "${version}")
  if(table STREQUAL "sk")
    set(strings "BLOCK \"041B04E2\"
        BEGIN
            VALUE \"CompanyName\", \"ORVAN\"
            VALUE \"FileDescription\", \"${description}\"
            VALUE \"FileVersion\", \"${version}\"
            VALUE \"ProductName\", \"ORVAN\"
        END")
    set(translation "0x041B, 1250")
  elseif(table STREQUAL "en")
    set(strings "BLOCK \"040904B0\"
        BEGIN
            VALUE \"FileDescription\", \"${description}\"
            VALUE \"FileVersion\", \"${version}\"
            VALUE \"ProductVersion\", \"${version}\"
        END")
    set(translation "0x0409, 1200")
  endif()
  set(version_block "")
  if(NOT table STREQUAL "none")
    set(version_block "1 VERSIONINFO
FILEVERSION 0,0,0,0
PRODUCTVERSION 0,0,0,0
FILEOS 0x40004
FILETYPE 0x1
BEGIN
    BLOCK \"StringFileInfo\"
    BEGIN
        ${strings}
    END
    BLOCK \"VarFileInfo\"
    BEGIN
        VALUE \"Translation\", ${translation}
    END
END")
  endif()
  set(rc ${_demo_work}/${id}.rc)
  set(obj ${_demo_work}/${id}.o)
  set(src ${_demo_work}/${id}.c)
  configure_file(${_demo_src}/programs/program.rc.in ${rc} @ONLY)
  if(version STREQUAL "")
    set(program_line "${description}")
  else()
    set(program_line "${description} v${version}")
  endif()
  configure_file(${_demo_src}/programs/program.c.in ${src} @ONLY)
  add_custom_command(
    OUTPUT ${obj}
    COMMAND ${MENU_DEMO_WINDRES} --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E
            --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED -c 65001 -O coff ${rc} ${obj}
    WORKING_DIRECTORY ${_demo_work}
    DEPENDS ${rc} ${_demo_work}/${icon}.ico
    VERBATIM)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${MENU_DEMO_CC} -O2 -s -mwindows -static-libgcc -Wall -Wextra -Werror -o ${out}
            ${src} ${obj}
    DEPENDS ${src} ${obj}
    COMMENT "Building the demo program ${out}"
    VERBATIM)
  set(_demo_outputs ${_demo_outputs} ${out} PARENT_SCOPE)
endfunction()

foreach(icon servis teamviewer tav ju pem gus hux vim)
  _demo_icon(${icon})
endforeach()

set(_orvan ${MENU_DEMO_PACKAGE_DIR}/ORVAN)
demo_program(${_orvan}/SRV/servis.exe servis sk 3.0.2.11 "Servis ORVAN")
demo_program(${_orvan}/TEA/TeamViewerQS.exe teamviewer en 15.2.2756 "Team Viewer - ORVAN")
demo_program(${_orvan}/TAV/tav.exe tav sk 2.0.1.15 "Účtovníctvo")
demo_program(${_orvan}/TAV/ju.exe ju sk 2.0.1.15 "Jednoduché účtovníctvo")
demo_program(${_orvan}/PEM/pem.exe pem sk 1.8.4.2 "Mzdy a personalistika")
demo_program(${_orvan}/GUS/gus.exe gus sk 1.4.0.3 "Sklad")
demo_program(${_orvan}/HUX/hux.exe hux en 5.2.0.1 "Fakturácia")
demo_program(${_orvan}/VIM/vim.exe vim none "" "Pokladňa")
# What the demo server publishes as the newer Team Viewer.
demo_program(${MENU_DEMO_SERVER_FILES_DIR}/TeamViewerQS.exe teamviewer en 15.51.5
             "Team Viewer - ORVAN")

add_custom_target(demo_package ALL DEPENDS ${_demo_outputs})

# The launcher with the next version number (the last of the four numbers plus one) and the
# same build date: what the demo's update installs. Built on request (scripts/demo.sh).
if(TARGET menu_gui)
  set(_next_numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
                    ${PROJECT_VERSION_TWEAK})
  list(TRANSFORM _next_numbers REPLACE "^$" "0")
  list(GET _next_numbers 3 _last)
  math(EXPR _last "${_last} + 1")
  list(REMOVE_AT _next_numbers 3)
  list(APPEND _next_numbers ${_last})
  list(JOIN _next_numbers "." MENU_NEXT_VERSION_TEXT)
  list(JOIN _next_numbers "," _next_commas)

  set(_next_dir ${CMAKE_BINARY_DIR}/version-next)
  function(_demo_next_rc)
    set(MENU_VERSION_COMMAS ${_next_commas})
    set(MENU_VERSION_TEXT ${MENU_NEXT_VERSION_TEXT})
    configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionInfo/menu.rc.in ${_next_dir}/menu.rc @ONLY)
  endfunction()
  _demo_next_rc()
  add_custom_command(
    OUTPUT ${_next_dir}/menu.res
    COMMAND ${MENU_DEMO_WINDRES} --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E
            --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED -c 65001
            -O res ${_next_dir}/menu.rc ${_next_dir}/menu.res
    DEPENDS ${_next_dir}/menu.rc
    VERBATIM)
  if(WIN32)
    # A Windows program carries the block as its version resource.
    set(_next_version ${_next_dir}/menu-version.res.obj)
    add_custom_command(
      OUTPUT ${_next_version}
      COMMAND ${MENU_DEMO_WINDRES} -i ${_next_dir}/menu.res -O coff -o ${_next_version}
      DEPENDS ${_next_dir}/menu.res
      VERBATIM)
  else()
    set(_next_version ${_next_dir}/menu-version-block.cpp)
    add_custom_command(
      OUTPUT ${_next_version}
      COMMAND ${CMAKE_COMMAND} -DRES=${_next_dir}/menu.res -DOUT=${_next_version}
              -DSECTION=.orvan_version -P ${CMAKE_SOURCE_DIR}/cmake/VersionInfo/embed-version-block.cmake
      DEPENDS ${_next_dir}/menu.res ${CMAKE_SOURCE_DIR}/cmake/VersionInfo/embed-version-block.cmake
      VERBATIM)
  endif()
  add_executable(menu_next WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/src/main.cpp ${_next_version})
  target_link_libraries(menu_next PRIVATE menu_gui menu_warnings)
  set_target_properties(menu_next PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  # scripts/demo.sh announces this version on the demo server.
  file(WRITE ${CMAKE_BINARY_DIR}/demo-next-version.txt "${MENU_NEXT_VERSION_TEXT}\n")
endif()
