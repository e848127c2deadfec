# SPDX-License-Identifier: MIT
# Windows resources of a program: the icon, the version information from the
# project's version, and for the window the application manifest
# (packaging/windows/program.rc.in, zel17.exe.manifest).
#   zel_add_windows_resources(TARGET "description" [MANIFEST])
# Qt's build puts no manifest into a mingw program (it has no resources at
# all without this), so the window's own is the only one. MSVC's linker
# writes a manifest of its own and merges a listed .manifest into it; with
# mingw the resource compiler takes it in.
enable_language(RC)

function(zel_add_windows_resources target description)
  cmake_parse_arguments(arg "MANIFEST" "" "" ${ARGN})
  set(windows_dir ${PROJECT_SOURCE_DIR}/packaging/windows)
  set(ZEL_RC_DESCRIPTION "${description}")
  set(ZEL_RC_FILE_NAME ${target}.exe)
  set(ZEL_RC_INTERNAL_NAME ${target})
  set(ZEL_RC_ICON "")
  set(ZEL_RC_MANIFEST "")
  set(depends)
  if(ZEL_ICON_ICO)
    # The first icon group is the program's icon.
    set(ZEL_RC_ICON "1 ICON \"${ZEL_ICON_ICO}\"")
    list(APPEND depends ${ZEL_ICON_ICO})
    add_dependencies(${target} zel_icons)
  endif()
  if(arg_MANIFEST)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.exe.manifest)
    configure_file(${windows_dir}/${target}.exe.manifest ${manifest} @ONLY)
    if(MSVC)
      target_sources(${target} PRIVATE ${manifest})
    else()
      # 1 = CREATEPROCESS_MANIFEST_RESOURCE_ID, 24 = RT_MANIFEST
      set(ZEL_RC_MANIFEST "1 24 \"${manifest}\"")
      list(APPEND depends ${manifest})
    endif()
  endif()
  set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${windows_dir}/program.rc.in ${rc_file} @ONLY)
  target_sources(${target} PRIVATE ${rc_file})
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()
