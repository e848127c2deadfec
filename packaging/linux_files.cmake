# SPDX-License-Identifier: MIT
# The files a Linux desktop and Debian expect beside the programs: manual
# pages, the changelog, PNG icons for the hicolor theme, shell completion,
# AppStream metadata and the copyright file. Included from
# packaging/CMakeLists.txt.
set(zel_source ${CMAKE_CURRENT_SOURCE_DIR})
set(zel_binary ${CMAKE_CURRENT_BINARY_DIR})
set(ZEL_METAINFO_ID pl.zel17.konfigurator)

find_program(ZEL_SCDOC scdoc REQUIRED)
find_program(ZEL_GZIP gzip REQUIRED)

# The changelog, the metadata and the package must tell of the same release.
file(STRINGS ${zel_source}/debian/changelog changelog_top LIMIT_COUNT 1)
string(REGEX MATCH "^zel17 \\(([^)]+)\\)" changelog_match "${changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/debian/changelog begins with version '${CMAKE_MATCH_1}', "
                      "the project is ${PROJECT_VERSION}: add an entry for this release")
endif()
file(READ ${zel_source}/${ZEL_METAINFO_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]+)\"" metainfo_match "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${ZEL_METAINFO_ID}.metainfo.xml names release '${CMAKE_MATCH_1}' first, "
                      "the project is ${PROJECT_VERSION}: add a <release> for it")
endif()

# The manual pages carry the date of the changelog's latest entry, not the
# build's, so the same sources give the same package.
file(STRINGS ${zel_source}/debian/changelog changelog_trailer REGEX "^ -- ")
list(GET changelog_trailer 0 latest_trailer)
string(REGEX REPLACE "^ -- [^>]*>  " "" latest_date "${latest_trailer}")
execute_process(COMMAND date --date=${latest_date} +%s
                OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# gzip -n leaves out the name and time of the file, as Debian wants.
set(generated_files)
foreach(page zel17 zel17-cli)
  set(page_source ${zel_source}/man/${page}.1.scd)
  set(page_output ${zel_binary}/man/${page}.1.gz)
  # Polish words must not be hyphenated by English rules: .nh after the title.
  add_custom_command(
    OUTPUT ${page_output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zel_binary}/man
    COMMAND sh -c "SOURCE_DATE_EPOCH=${release_epoch} '${ZEL_SCDOC}' <'${page_source}' | sed '/^\\.TH /a .nh' | '${ZEL_GZIP}' -9n >'${page_output}'"
    DEPENDS ${page_source}
    COMMENT "Manual page ${page}(1)"
    VERBATIM)
  list(APPEND generated_files ${page_output})
  install(FILES ${page_output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(changelog_output ${zel_binary}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog_output}
  COMMAND sh -c "'${ZEL_GZIP}' -9nc <'${zel_source}/debian/changelog' >'${changelog_output}'"
  DEPENDS ${zel_source}/debian/changelog
  COMMENT "Changelog"
  VERBATIM)
list(APPEND generated_files ${changelog_output})

add_custom_target(zel_linux_files ALL DEPENDS ${generated_files} ${ZEL_ICON_PNGS})

install(FILES ${changelog_output} ${zel_source}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(size IN LISTS ZEL_ICON_SIZES)
  install(FILES ${zel_binary}/icons/zel17-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zel17.png)
endforeach()
install(FILES ${zel_source}/bash-completion/zel17-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${zel_source}/${ZEL_METAINFO_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${zel_source}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zel17)
