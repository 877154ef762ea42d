# menu.exe carries an application manifest as Windows programs of its kind do: it runs as the
# user who started it, declares the systems it knows, per-monitor DPI awareness (v2) and long
# paths. Only the Windows build has one; the version information is cmake/VersionInfo.cmake's.

if(NOT WIN32)
  return()
endif()

set(_menu_manifest_dir ${CMAKE_CURRENT_LIST_DIR}/WindowsManifest)
set(_menu_manifest_object ${CMAKE_BINARY_DIR}/manifest/menu-manifest.res.obj)
add_custom_command(
  OUTPUT ${_menu_manifest_object}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/manifest
  COMMAND ${CMAKE_RC_COMPILER} --preprocessor=${CMAKE_C_COMPILER} --preprocessor-arg=-E
          --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED
          --include-dir=${_menu_manifest_dir} -i ${_menu_manifest_dir}/menu-manifest.rc
          -O coff -o ${_menu_manifest_object}
  DEPENDS ${_menu_manifest_dir}/menu-manifest.rc ${_menu_manifest_dir}/menu.manifest
  COMMENT "Compiling menu.exe's manifest"
  VERBATIM)
add_custom_target(menu_manifest DEPENDS ${_menu_manifest_object})
# menu_next (cmake/Demo.cmake, read before this file) is the launcher of the demo's update;
# menu-unsigned-for-tests is the launcher the test suites start.
foreach(_target menu menu_next menu-unsigned-for-tests)
  if(TARGET ${_target})
    target_sources(${_target} PRIVATE ${_menu_manifest_object})
    add_dependencies(${_target} menu_manifest)
  endif()
endforeach()
