# velmora_windows_program(<target> DESCRIPTION <text> SOURCES <files...>
#                         [LIBRARIES <libs...>] [RESOURCES <rc lines...>])
# A GUI executable of the suite with its icon, manifest (common controls 6, DPI aware) and
# version resource. RESOURCES are extra resource-script lines; "@RESOURCES_DIR@" in them names
# the repo's resources/ folder.
function(velmora_windows_program target)
  cmake_parse_arguments(P "" "DESCRIPTION" "SOURCES;LIBRARIES;RESOURCES" ${ARGN})
  set(VELMORA_PROGRAM ${target})
  set(VELMORA_DESCRIPTION "${P_DESCRIPTION}")
  set(_res ${PROJECT_SOURCE_DIR}/resources)
  set(VELMORA_ICON ${_res}/velmora.ico)
  set(VELMORA_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  string(REPLACE "@RESOURCES_DIR@" "${_res}" _extra "${P_RESOURCES}")
  string(REPLACE ";" "\n" VELMORA_EXTRA_RESOURCES "${_extra}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-program.manifest.in ${VELMORA_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-program.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  add_executable(${target} WIN32 ${P_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  target_link_libraries(${target} PRIVATE ${P_LIBRARIES} velmora_forms_win32 velmora_host_com)
  # The resource compiler reads the artwork at build time: a change to it rebuilds the program.
  file(GLOB _art ${_res}/*.ico ${_res}/*.jpg)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${_art};${VELMORA_MANIFEST}")
endfunction()
